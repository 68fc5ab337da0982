// Which desktop the person is looking at, from the session's environment.
#pragma once

#include <functional>
#include <string>

namespace ossen {

enum class DesktopKind {
  kNone,      // no desktop at all (no display): only the Windows records are written
  kUnknown,   // a desktop we have no interface for (e.g. a Wayland compositor we do not know)
  kGnome,     // GNOME, Pantheon and the like: org.gnome.desktop.background
  kUnity,     // the same keys as GNOME
  kBudgie,    // the same keys as GNOME
  kCinnamon,  // org.cinnamon.desktop.background
  kMate,      // org.mate.background
  kXfce,      // xfconf, xfce4-desktop channel
  kPlasma,    // KDE Plasma
  kSway,      // swaymsg
  kBareX11,   // an X11 window manager without a desktop of its own: the root window
};

// Reads one environment variable; null when unset.
using EnvLookup = std::function<const char*(const char* name)>;

// XDG_CURRENT_DESKTOP first (a colon list; each component is matched, Budgie before GNOME),
// then DESKTOP_SESSION, KDE_FULL_SESSION / KDE_SESSION_VERSION, SWAYSOCK and
// XDG_SESSION_DESKTOP; without any of these a WAYLAND_DISPLAY is an unknown desktop, a
// DISPLAY a bare X11 window manager, and nothing at all no desktop.
DesktopKind DetectDesktop(const EnvLookup& env);
// The same with the process's own environment.
DesktopKind DetectDesktop();

// A short stable name ("gnome", "xfce", "x11", ...): used in trace lines and as the key
// under which the person's own wallpaper is kept.
const char* DesktopKindName(DesktopKind kind);

}  // namespace ossen
