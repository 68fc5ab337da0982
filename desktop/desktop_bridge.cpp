#include "desktop/desktop_bridge.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/base/file_io.h"
#include "desktop/own_wallpaper.h"
#include "platform/win32/paths.h"
#include "platform/win32/prefix.h"
#include "desktop/root_background.h"
#include "desktop/tool_run.h"
#include "platform/base/trace.h"
#include "product/product_names.h"

namespace ossen {

namespace {

int g_toolTimeoutMs = kDefaultDesktopToolTimeoutMs;
// Set when a tool did not answer in time: the rest of that change is skipped, so a desktop
// that hangs costs the program one timeout, not one per call.
bool g_desktopHung = false;

using Args = std::vector<std::string>;

// Runs one desktop tool and traces what became of it.
ToolOutcome Run(const Args& argv) {
  if (g_desktopHung) {
    ToolOutcome skipped;
    skipped.result = ToolResult::kTimedOut;
    return skipped;
  }
  ToolOutcome outcome = RunTool(argv, g_toolTimeoutMs);
  if (outcome.result == ToolResult::kTimedOut) g_desktopHung = true;
  if (outcome.result != ToolResult::kOk) {
    std::string line;
    for (const std::string& arg : argv) line += (line.empty() ? "" : " ") + arg;
    Trace("desktop: %.160s: %s (exit %d)", line.c_str(), ToolResultName(outcome.result), outcome.exitCode);
  }
  return outcome;
}

bool Ok(const Args& argv) { return Run(argv).result == ToolResult::kOk; }

// True when a setting names a picture ossen itself wrote: such a value is no setting of the
// person's own (it is left over from an earlier run whose kept file is gone).
bool NamesOurPicture(const std::string& value) {
  const std::optional<std::string> path = PathFromFileUri(value);
  if (!path) return false;
  const std::string name = std::filesystem::path(*path).filename().string();
  if (EqualNamesIgnoringCase(name, product::kWallpaperFile)) return true;
  if (!EndsWithIgnoringCase(name, ".bmp") || name.size() < 11 || !EqualNamesIgnoringCase(name.substr(0, 6), "ossen-"))
    return false;
  for (std::size_t i = 6; i + 4 < name.size(); ++i)
    if (name[i] < '0' || name[i] > '9') return false;
  return true;
}

// ---- gsettings: GNOME, Unity, Budgie, Cinnamon, MATE ----

struct GSettingsDesktop {
  const char* schema;
  std::vector<const char*> keys;
  bool uri;  // the keys hold file:// URIs (else a plain path)
};

GSettingsDesktop GSettingsFor(DesktopKind kind) {
  switch (kind) {
    case DesktopKind::kCinnamon: return {"org.cinnamon.desktop.background", {"picture-uri"}, true};
    case DesktopKind::kMate: return {"org.mate.background", {"picture-filename"}, false};
    default: return {"org.gnome.desktop.background", {"picture-uri", "picture-uri-dark"}, true};
  }
}

std::optional<OwnSettings> ReadGSettings(const GSettingsDesktop& desktop) {
  OwnSettings settings;
  for (const char* key : desktop.keys) {
    const ToolOutcome got = Run({"gsettings", "get", desktop.schema, key});
    if (got.result != ToolResult::kOk) {
      // Without the first key the desktop is not answering; a later key may just be missing.
      if (key == desktop.keys.front()) return std::nullopt;
      continue;
    }
    if (std::optional<std::string> value = ParseGVariantString(got.output)) settings.emplace_back(key, *value);
  }
  return settings;
}

bool SetGSettings(const GSettingsDesktop& desktop, const std::string& hostPath) {
  const std::string value = desktop.uri ? FileUriFromPath(hostPath) : hostPath;
  bool ok = true;
  for (const char* key : desktop.keys)
    ok = Ok({"gsettings", "set", desktop.schema, key, GVariantStringLiteral(value)}) && ok;
  return ok;
}

bool RestoreGSettings(const GSettingsDesktop& desktop, const OwnSettings& settings) {
  bool ok = !settings.empty();
  for (const auto& [key, value] : settings) {
    bool known = false;
    for (const char* k : desktop.keys) known = known || key == k;
    if (known) ok = Ok({"gsettings", "set", desktop.schema, key, GVariantStringLiteral(value)}) && ok;
  }
  return ok;
}

// ---- XFCE: xfconf-query, channel xfce4-desktop ----

bool IsXfceImageProperty(std::string_view property) {
  return property.starts_with("/backdrop/") &&
         (property.ends_with("/last-image") || property.ends_with("/image-path"));
}

// The image properties and their values, from "xfconf-query -l -v" ("<property>  <value>").
std::optional<OwnSettings> ReadXfce() {
  const ToolOutcome listed = Run({"xfconf-query", "-c", "xfce4-desktop", "-p", "/backdrop", "-l", "-v"});
  // A fresh install has no /backdrop properties at all, and the tool says so with a failure.
  if (listed.result == ToolResult::kNotFound || listed.result == ToolResult::kTimedOut) return std::nullopt;
  OwnSettings settings;
  std::string_view rest = listed.output;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    const std::size_t gap = line.find_first_of(" \t");
    const std::string_view property = line.substr(0, gap);
    std::string_view value = gap == std::string_view::npos ? std::string_view() : line.substr(gap);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    if (IsXfceImageProperty(property) && IsAcceptableOwnSetting(property, value))
      settings.emplace_back(std::string(property), std::string(value));
  }
  return settings;
}

// The outputs xrandr reports as connected ("<name> connected ...").
std::vector<std::string> ConnectedOutputs() {
  std::vector<std::string> outputs;
  const ToolOutcome query = Run({"xrandr", "--query"});
  std::string_view rest = query.output;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    const std::size_t gap = line.find(' ');
    if (gap != std::string_view::npos && gap > 0 && line.substr(gap).starts_with(" connected"))
      outputs.emplace_back(line.substr(0, gap));
  }
  return outputs;
}

bool SetXfce(const std::string& hostPath) {
  const std::optional<OwnSettings> existing = ReadXfce();
  if (!existing) return false;
  std::vector<std::string> properties;
  for (const auto& [property, value] : *existing)
    if (property.ends_with("/last-image") || property.ends_with("/image-path")) properties.push_back(property);
  bool create = false;
  if (properties.empty()) {
    // A fresh install: one property per connected output, on the first workspace.
    create = true;
    std::vector<std::string> outputs = ConnectedOutputs();
    if (outputs.empty()) outputs.push_back("0");
    for (const std::string& output : outputs)
      properties.push_back("/backdrop/screen0/monitor" + output + "/workspace0/last-image");
  }
  bool ok = true;
  for (const std::string& property : properties) {
    // The empty text first: xfdesktop reloads only when the value changes, and the same
    // file name comes back with a new picture.
    Args clear = {"xfconf-query", "-c", "xfce4-desktop", "-p", property};
    if (create) clear.insert(clear.end(), {"-n", "-t", "string"});
    clear.insert(clear.end(), {"-s", ""});
    ok = Ok(clear) && Ok({"xfconf-query", "-c", "xfce4-desktop", "-p", property, "-s", hostPath}) && ok;
  }
  return ok;
}

bool RestoreXfce(const OwnSettings& settings) {
  const std::optional<OwnSettings> now = ReadXfce();
  bool ok = true;
  for (const auto& [property, value] : settings)
    if (IsXfceImageProperty(property))
      ok = Ok({"xfconf-query", "-c", "xfce4-desktop", "-p", property, "-s", value}) && ok;
  // Properties ossen created on a fresh install go again, so xfdesktop shows its default.
  if (now) {
    for (const auto& [property, value] : *now) {
      bool kept = false;
      for (const auto& own : settings) kept = kept || own.first == property;
      if (!kept) ok = Ok({"xfconf-query", "-c", "xfce4-desktop", "-p", property, "-r"}) && ok;
    }
  }
  return ok;
}

// ---- KDE Plasma ----

std::string ConfigHome() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') return config;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.config";
}

// The Image of the first desktop containment in Plasma's own configuration file; the
// file is the person's, so it is read as hostile input with a size cap.
std::optional<OwnSettings> ReadPlasma() {
  std::vector<std::uint8_t> bytes;
  const std::string file = ConfigHome() + "/plasma-org.kde.plasma.desktop-appletsrc";
  if (ReadFileBytes(file, 4 << 20, bytes) != ReadResult::kOk) return OwnSettings{};
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  bool inImageGroup = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.starts_with("[")) {
      inImageGroup = line.ends_with("[Wallpaper][org.kde.image][General]");
    } else if (inImageGroup && line.starts_with("Image=")) {
      const std::string value(line.substr(6));
      if (IsAcceptableOwnSetting("Image", value)) return OwnSettings{{"Image", value}};
    }
  }
  return OwnSettings{};
}

// Plasma's own scripting interface, through whichever D-Bus client is there.
bool RunPlasmaScript(const std::string& imageUri) {
  // A JavaScript string in single quotes takes the same escapes as a GVariant text.
  const std::string script =
      "for (var k in desktops()) { var d = desktops()[k]; d.wallpaperPlugin = 'org.kde.image'; "
      "d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General']; d.writeConfig('Image', " +
      GVariantStringLiteral(imageUri) + "); }";
  for (const char* qdbus : {"qdbus6", "qdbus"}) {
    const ToolOutcome outcome =
        Run({qdbus, "org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript", script});
    if (outcome.result != ToolResult::kNotFound) return outcome.result == ToolResult::kOk;
  }
  return Ok({"dbus-send", "--session", "--type=method_call", "--dest=org.kde.plasmashell", "/PlasmaShell",
             "org.kde.PlasmaShell.evaluateScript", "string:" + script});
}

// The picture through plasma-apply-wallpaperimage, or its D-Bus script when the tool is
// missing or the name holds a "'", which the tool refuses.
bool ApplyPlasmaPicture(const std::string& hostPath) {
  if (hostPath.find('\'') == std::string::npos) {
    const ToolOutcome outcome = Run({"plasma-apply-wallpaperimage", hostPath});
    if (outcome.result != ToolResult::kNotFound) return outcome.result == ToolResult::kOk;
  }
  return RunPlasmaScript(FileUriFromPath(hostPath));
}

bool IsPlasmaCopyName(const std::string& name) {
  if (name.size() < 11 || !name.starts_with("ossen-") || !name.ends_with(".bmp")) return false;
  for (std::size_t i = 6; i + 4 < name.size(); ++i)
    if (name[i] < '0' || name[i] > '9') return false;
  return true;
}

bool SetPlasma(const std::string& hostPath) {
  const std::string copy = NextPlasmaCopyPath(hostPath);
  std::error_code error;
  if (!std::filesystem::copy_file(hostPath, copy, std::filesystem::copy_options::overwrite_existing, error)) {
    Trace("desktop: could not copy %s for Plasma: %s", hostPath.c_str(), error.message().c_str());
    return false;
  }
  const bool ok = ApplyPlasmaPicture(copy);
  // The older copies are no longer shown: they go, so that only the newest one stays.
  const std::filesystem::path folder = std::filesystem::path(copy).parent_path();
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (IsPlasmaCopyName(name) && entry.path() != std::filesystem::path(copy))
      std::filesystem::remove(entry.path(), error);
  }
  return ok;
}

bool RestorePlasma(const OwnSettings& settings) {
  for (const auto& [name, value] : settings) {
    if (name != "Image") continue;
    const std::optional<std::string> path = PathFromFileUri(value);
    if (!path || path->empty()) return RunPlasmaScript(value);
    return ApplyPlasmaPicture(*path);
  }
  return false;
}

// ---- sway ----

bool SetSway(const std::string& hostPath) {
  // swaymsg joins its arguments into one sway command, which has its own quoting.
  if (hostPath.find('"') != std::string::npos) {
    Trace("desktop: sway cannot take a path with a double quote: %s", hostPath.c_str());
    return false;
  }
  return Ok({"swaymsg", "output", "*", "bg", "\"" + hostPath + "\"", "fill"});
}

// ---- the bare X11 root window ----

std::string KeptRootPicture() { return PrefixDir() + "/desktop-own-x11.bmp"; }

// What there is to keep for each desktop kind; nullopt when the desktop cannot be asked.
std::optional<OwnSettings> ReadOwnSetting(DesktopKind kind) {
  switch (kind) {
    case DesktopKind::kGnome:
    case DesktopKind::kUnity:
    case DesktopKind::kBudgie:
    case DesktopKind::kCinnamon:
    case DesktopKind::kMate:
      return ReadGSettings(GSettingsFor(kind));
    case DesktopKind::kXfce:
      return ReadXfce();
    case DesktopKind::kPlasma:
      return ReadPlasma();
    case DesktopKind::kSway:
      return OwnSettings{};  // sway cannot be asked: its configuration is what comes back
    case DesktopKind::kBareX11:
      if (SaveRootBackgroundAsBmp(KeptRootPicture())) return OwnSettings{{"picture", KeptRootPicture()}};
      return OwnSettings{};
    default:
      return std::nullopt;
  }
}

void KeepOwnSettingOnce(DesktopKind kind) {
  const char* name = DesktopKindName(kind);
  if (LoadOwnWallpaper(name)) return;
  std::optional<OwnSettings> own = ReadOwnSetting(kind);
  if (!own) return;
  std::erase_if(*own, [](const OwnSetting& setting) { return NamesOurPicture(setting.second); });
  if (SaveOwnWallpaper(name, *own)) Trace("desktop: kept the %s desktop's own wallpaper", name);
}

}  // namespace

void SetDesktopToolTimeout(int timeoutMs) { g_toolTimeoutMs = timeoutMs > 0 ? timeoutMs : kDefaultDesktopToolTimeoutMs; }

bool ShowWallpaperOnDesktop(DesktopKind kind, const std::string& hostPath) {
  if (kind == DesktopKind::kNone || kind == DesktopKind::kUnknown) {
    Trace("desktop: no desktop we can reach (%s), wallpaper only recorded", DesktopKindName(kind));
    return false;
  }
  g_desktopHung = false;
  KeepOwnSettingOnce(kind);
  bool ok = false;
  switch (kind) {
    case DesktopKind::kGnome:
    case DesktopKind::kUnity:
    case DesktopKind::kBudgie:
    case DesktopKind::kCinnamon:
    case DesktopKind::kMate:
      ok = SetGSettings(GSettingsFor(kind), hostPath);
      break;
    case DesktopKind::kXfce: ok = SetXfce(hostPath); break;
    case DesktopKind::kPlasma: ok = SetPlasma(hostPath); break;
    case DesktopKind::kSway: ok = SetSway(hostPath); break;
    case DesktopKind::kBareX11: ok = SetRootBackgroundFromBmp(hostPath); break;
    default: break;
  }
  Trace("desktop: %s wallpaper %s: %s", DesktopKindName(kind), hostPath.c_str(), ok ? "shown" : "not shown");
  return ok;
}

bool RestoreOwnWallpaper(DesktopKind kind) {
  const char* name = DesktopKindName(kind);
  const std::optional<OwnSettings> own = LoadOwnWallpaper(name);
  if (!own) {
    Trace("desktop: nothing kept for the %s desktop", name);
    return false;
  }
  g_desktopHung = false;
  bool ok = false;
  switch (kind) {
    case DesktopKind::kGnome:
    case DesktopKind::kUnity:
    case DesktopKind::kBudgie:
    case DesktopKind::kCinnamon:
    case DesktopKind::kMate:
      ok = RestoreGSettings(GSettingsFor(kind), *own);
      break;
    case DesktopKind::kXfce: ok = RestoreXfce(*own); break;
    case DesktopKind::kPlasma: ok = RestorePlasma(*own); break;
    case DesktopKind::kSway: ok = Ok({"swaymsg", "reload"}); break;
    case DesktopKind::kBareX11: {
      const bool kept = !own->empty() && own->front().second == KeptRootPicture();
      ok = kept ? SetRootBackgroundFromBmp(KeptRootPicture()) : ClearRootBackground();
      std::error_code ignored;
      if (ok) std::filesystem::remove(KeptRootPicture(), ignored);
      break;
    }
    default: break;
  }
  // Forgotten once it is back (or when nothing was there to give back): the next painting
  // keeps whatever the person has by then.
  if (ok || own->empty()) ForgetOwnWallpaper(name);
  Trace("desktop: %s own wallpaper %s", name, ok ? "put back" : "not put back");
  return ok;
}

std::string FileUriFromPath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const unsigned char c : path) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

std::optional<std::string> PathFromFileUri(std::string_view uri) {
  if (!uri.starts_with("file://")) return std::string(uri);
  uri.remove_prefix(7);
  // "file://host/path": only the local host (empty or "localhost") names a file here.
  if (uri.starts_with("localhost/")) uri.remove_prefix(9);
  std::string path;
  for (std::size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] != '%') {
      path += uri[i];
      continue;
    }
    auto hex = [](char c) -> int {
      if (c >= '0' && c <= '9') return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      return -1;
    };
    if (i + 2 >= uri.size()) return std::nullopt;
    const int high = hex(uri[i + 1]), low = hex(uri[i + 2]);
    if (high < 0 || low < 0 || (high == 0 && low == 0)) return std::nullopt;
    path += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return path;
}

std::string GVariantStringLiteral(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\\' || c == '\'') out += '\\';
    out += c;
  }
  return out + "'";
}

std::optional<std::string> ParseGVariantString(std::string_view output) {
  while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.remove_suffix(1);
  if (output.starts_with("@s ")) output.remove_prefix(3);
  if (output.size() < 2) return std::nullopt;
  const char quote = output.front();
  if ((quote != '\'' && quote != '"') || output.back() != quote) return std::nullopt;
  std::string text;
  for (std::size_t i = 1; i + 1 < output.size(); ++i) {
    char c = output[i];
    if (c == quote) return std::nullopt;  // an unescaped quote ends the literal early
    if (c == '\\') {
      if (i + 2 >= output.size()) return std::nullopt;
      c = output[++i];
      if (c == 'n') c = '\n';
      else if (c == 't') c = '\t';
    }
    text += c;
  }
  return text;
}

std::string NextPlasmaCopyPath(const std::string& hostPath) {
  const std::filesystem::path folder = std::filesystem::path(hostPath).parent_path();
  unsigned long long largest = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (!IsPlasmaCopyName(name) || name.size() > 6 + 18 + 4) continue;
    largest = std::max(largest, std::strtoull(name.c_str() + 6, nullptr, 10));
  }
  return (folder / ("ossen-" + std::to_string(largest + 1) + ".bmp")).string();
}

}  // namespace ossen
