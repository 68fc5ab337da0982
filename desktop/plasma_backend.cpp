// KDE Plasma: plasma-apply-wallpaperimage, or Plasma's own scripting interface over D-Bus.
// Plasma caches pictures by name: every change names a fresh copy (desktop_picture.h).
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "desktop/backend_common.h"
#include "desktop/desktop_picture.h"
#include "platform/base/file_io.h"
#include "platform/base/trace.h"

namespace ossen {
namespace {

constexpr std::size_t kMaxConfigBytes = 4 << 20;

std::string ConfigHome() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') return config;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.config";
}

// Plasma's FillMode values, by the names plasma-apply-wallpaperimage -f takes.
constexpr const char* kFillModeNames[] = {"stretch", "preserveAspectFit", "preserveAspectCrop", "tile",
                                          "tileVertically", "tileHorizontally", "pad"};
constexpr int kPreserveAspectCrop = 2;  // also Plasma's own default

int FillMode(WallpaperPlacement placement) {
  switch (placement) {
    case WallpaperPlacement::Fit: return 1;
    case WallpaperPlacement::Stretch: return 0;
    case WallpaperPlacement::Center: return 6;
    case WallpaperPlacement::Tile: return 3;
    case WallpaperPlacement::Fill:
    case WallpaperPlacement::Span: break;  // Plasma has no one picture across monitors
  }
  return kPreserveAspectCrop;
}

class PlasmaBackend : public KeepingDesktopBackend {
 public:
  explicit PlasmaBackend(int toolTimeoutMs) : KeepingDesktopBackend(DesktopKind::kPlasma, toolTimeoutMs) {}

 protected:
  // The Image and FillMode of the first desktop containment in Plasma's own configuration
  // file; the file is the person's, so it is read as hostile input with a size cap.
  std::optional<OwnSettings> ReadOwnWallpaper() override {
    std::vector<std::uint8_t> bytes;
    const std::string file = ConfigHome() + "/plasma-org.kde.plasma.desktop-appletsrc";
    if (ReadFileBytes(file, kMaxConfigBytes, bytes) != ReadResult::kOk) return OwnSettings{};
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    bool inImageGroup = false;
    OwnSettings settings;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(start, end - start);
      start = end + 1;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (line.starts_with("[")) {
        // Only the first containment's group counts.
        if (inImageGroup && !settings.empty()) break;
        inImageGroup = line.ends_with("[Wallpaper][org.kde.image][General]");
      } else if (inImageGroup) {
        for (const char* key : {"Image", "FillMode"}) {
          const std::string prefix = std::string(key) + "=";
          if (!line.starts_with(prefix)) continue;
          const std::string value(line.substr(prefix.size()));
          if (IsAcceptableOwnSetting(key, value)) settings.emplace_back(key, value);
        }
      }
    }
    return settings;
  }

  bool Show(const WallpaperRequest& request) override { return ApplyPicture(request.picturePath, FillMode(request.placement)); }

  bool PutBack(const OwnSettings& own) override {
    RemoveOlderCopies();
    int fillMode = kPreserveAspectCrop;
    for (const auto& [name, value] : own)
      if (name == "FillMode" && value.size() == 1 && value[0] >= '0' && value[0] <= '6') fillMode = value[0] - '0';
    for (const auto& [name, value] : own) {
      if (name != "Image") continue;
      const std::optional<std::string> path = PathFromFileUri(value);
      if (!path || path->empty()) return RunScript(value, fillMode);
      return ApplyPicture(*path, fillMode);
    }
    // No Image of the person's own: Plasma's default picture, which an empty Image gives.
    return RunScript("", fillMode);
  }

 private:
  // Earlier versions showed Plasma copies "ossen-<n>.bmp" beside the program's wallpaper;
  // the one Plasma still names shows where they are.
  void RemoveOlderCopies() {
    const std::optional<OwnSettings> now = ReadOwnWallpaper();
    if (!now) return;
    for (const auto& [name, value] : *now) {
      const std::optional<std::string> path = PathFromFileUri(value);
      if (name != "Image" || !path) continue;
      const std::filesystem::path shown(*path);
      if (IsWallpaperCopyName(shown.filename().string(), false) && shown.has_parent_path())
        RemovePictureCopies(shown.parent_path().string());
    }
  }

  // Plasma's own scripting interface, through whichever D-Bus client is there.
  bool RunScript(const std::string& imageUri, int fillMode) {
    // A JavaScript string in single quotes takes the same escapes as a GVariant text.
    const std::string script =
        "for (var k in desktops()) { var d = desktops()[k]; d.wallpaperPlugin = 'org.kde.image'; "
        "d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General']; d.writeConfig('Image', " +
        GVariantStringLiteral(imageUri) + "); d.writeConfig('FillMode', " + std::to_string(fillMode) + "); }";
    for (const char* qdbus : {"qdbus6", "qdbus"}) {
      const ToolOutcome outcome =
          Tools().Run({qdbus, "org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript", script});
      if (outcome.result != ToolResult::kNotFound) return outcome.result == ToolResult::kOk;
    }
    return Tools().Ok({"dbus-send", "--session", "--type=method_call", "--dest=org.kde.plasmashell", "/PlasmaShell",
                       "org.kde.PlasmaShell.evaluateScript", "string:" + script});
  }

  // The picture through plasma-apply-wallpaperimage, or the D-Bus script when the tool is
  // missing, fails (Plasma 5.27's tool knows no -f) or the name holds a "'", which the tool
  // refuses.
  bool ApplyPicture(const std::string& hostPath, int fillMode) {
    if (hostPath.find('\'') == std::string::npos) {
      const ToolOutcome outcome =
          Tools().Run({"plasma-apply-wallpaperimage", "-f", kFillModeNames[fillMode], hostPath});
      if (outcome.result == ToolResult::kOk) return true;
      if (outcome.result == ToolResult::kTimedOut) return false;
    }
    return RunScript(FileUriFromPath(hostPath), fillMode);
  }
};

}  // namespace

std::unique_ptr<DesktopBackend> MakePlasmaBackend(int toolTimeoutMs) {
  return std::make_unique<PlasmaBackend>(toolTimeoutMs);
}

}  // namespace ossen
