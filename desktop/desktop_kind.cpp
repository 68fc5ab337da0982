#include "desktop/desktop_kind.h"

#include <cstdlib>
#include <string_view>

#include "platform/win32/paths.h"

namespace ossen {

namespace {

// One name as desktops spell it in XDG_CURRENT_DESKTOP or a session name; kNone when it
// names nothing we know.
DesktopKind KindFromName(std::string_view name) {
  struct Known {
    std::string_view name;
    DesktopKind kind;
  };
  static constexpr Known kKnown[] = {
      {"GNOME", DesktopKind::kGnome},         {"GNOME-Classic", DesktopKind::kGnome},
      {"GNOME-Flashback", DesktopKind::kGnome}, {"ubuntu", DesktopKind::kGnome},
      {"Pantheon", DesktopKind::kGnome},      {"gnome-xorg", DesktopKind::kGnome},
      {"gnome-wayland", DesktopKind::kGnome}, {"Unity", DesktopKind::kUnity},
      {"Budgie", DesktopKind::kBudgie},       {"budgie-desktop", DesktopKind::kBudgie},
      {"X-Cinnamon", DesktopKind::kCinnamon}, {"Cinnamon", DesktopKind::kCinnamon},
      {"cinnamon-wayland", DesktopKind::kCinnamon}, {"MATE", DesktopKind::kMate},
      {"XFCE", DesktopKind::kXfce},           {"xubuntu", DesktopKind::kXfce},
      {"KDE", DesktopKind::kPlasma},          {"plasma", DesktopKind::kPlasma},
      {"plasmawayland", DesktopKind::kPlasma}, {"plasmax11", DesktopKind::kPlasma},
      {"sway", DesktopKind::kSway},
  };
  for (const Known& known : kKnown)
    if (EqualNamesIgnoringCase(name, known.name)) return known.kind;
  return DesktopKind::kNone;
}

// The kind named by a colon list; Budgie wins over GNOME wherever it stands, since Budgie
// sessions also list GNOME.
DesktopKind KindFromList(std::string_view list) {
  DesktopKind first = DesktopKind::kNone;
  while (!list.empty()) {
    const std::size_t colon = list.find(':');
    const DesktopKind kind = KindFromName(list.substr(0, colon));
    if (kind == DesktopKind::kBudgie) return kind;
    if (first == DesktopKind::kNone) first = kind;
    if (colon == std::string_view::npos) break;
    list.remove_prefix(colon + 1);
  }
  return first;
}

bool IsSet(const char* value) { return value != nullptr && value[0] != '\0'; }

}  // namespace

DesktopKind DetectDesktop(const EnvLookup& env) {
  auto text = [&](const char* name) -> std::string_view {
    const char* value = env(name);
    return value ? std::string_view(value) : std::string_view();
  };
  if (DesktopKind kind = KindFromList(text("XDG_CURRENT_DESKTOP")); kind != DesktopKind::kNone) return kind;
  if (DesktopKind kind = KindFromList(text("DESKTOP_SESSION")); kind != DesktopKind::kNone) return kind;
  if (text("KDE_FULL_SESSION") == "true" || IsSet(env("KDE_SESSION_VERSION"))) return DesktopKind::kPlasma;
  if (IsSet(env("SWAYSOCK"))) return DesktopKind::kSway;
  if (DesktopKind kind = KindFromList(text("XDG_SESSION_DESKTOP")); kind != DesktopKind::kNone) return kind;
  // A Wayland compositor we do not know may run X11 programs too: its root window is not
  // what the person sees.
  if (IsSet(env("WAYLAND_DISPLAY"))) return DesktopKind::kUnknown;
  if (IsSet(env("DISPLAY"))) return DesktopKind::kBareX11;
  return DesktopKind::kNone;
}

DesktopKind DetectDesktop() {
  return DetectDesktop([](const char* name) { return static_cast<const char*>(std::getenv(name)); });
}

const char* DesktopKindName(DesktopKind kind) {
  switch (kind) {
    case DesktopKind::kNone: return "none";
    case DesktopKind::kUnknown: return "unknown";
    case DesktopKind::kGnome: return "gnome";
    case DesktopKind::kUnity: return "unity";
    case DesktopKind::kBudgie: return "budgie";
    case DesktopKind::kCinnamon: return "cinnamon";
    case DesktopKind::kMate: return "mate";
    case DesktopKind::kXfce: return "xfce";
    case DesktopKind::kPlasma: return "plasma";
    case DesktopKind::kSway: return "sway";
    case DesktopKind::kBareX11: return "x11";
  }
  return "unknown";
}

}  // namespace ossen
