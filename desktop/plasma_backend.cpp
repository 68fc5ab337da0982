// KDE Plasma: plasma-apply-wallpaperimage, or Plasma's own scripting interface over D-Bus.
// Plasma caches pictures by name, so every change shows a fresh copy "ossen-<n>.bmp".
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "desktop/backend_common.h"
#include "platform/base/file_io.h"
#include "platform/base/trace.h"
#include "product/product_names.h"

namespace ossen {
namespace {

constexpr std::size_t kMaxConfigBytes = 4 << 20;

std::string ConfigHome() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') return config;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.config";
}

bool IsCopyName(const std::string& name) { return IsWallpaperCopyName(name, false); }

class PlasmaBackend : public KeepingDesktopBackend {
 public:
  explicit PlasmaBackend(int toolTimeoutMs) : KeepingDesktopBackend(DesktopKind::kPlasma, toolTimeoutMs) {}

 protected:
  // The Image of the first desktop containment in Plasma's own configuration file; the
  // file is the person's, so it is read as hostile input with a size cap.
  std::optional<OwnSettings> ReadOwnWallpaper() override {
    std::vector<std::uint8_t> bytes;
    const std::string file = ConfigHome() + "/plasma-org.kde.plasma.desktop-appletsrc";
    if (ReadFileBytes(file, kMaxConfigBytes, bytes) != ReadResult::kOk) return OwnSettings{};
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

  bool Show(const std::string& hostPath) override {
    const std::string copy = NextPlasmaCopyPath(hostPath);
    std::error_code error;
    if (!std::filesystem::copy_file(hostPath, copy, std::filesystem::copy_options::overwrite_existing, error)) {
      Trace("desktop: could not copy %s for Plasma: %s", hostPath.c_str(), error.message().c_str());
      return false;
    }
    const bool ok = ApplyPicture(copy);
    // The older copies are no longer shown: they go, so that only the newest one stays.
    const std::filesystem::path folder = std::filesystem::path(copy).parent_path();
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
      const std::string name = entry.path().filename().string();
      if (IsCopyName(name) && entry.path() != std::filesystem::path(copy)) std::filesystem::remove(entry.path(), error);
    }
    return ok;
  }

  bool PutBack(const OwnSettings& own) override {
    for (const auto& [name, value] : own) {
      if (name != "Image") continue;
      const std::optional<std::string> path = PathFromFileUri(value);
      if (!path || path->empty()) return RunScript(value);
      return ApplyPicture(*path);
    }
    return false;
  }

 private:
  // Plasma's own scripting interface, through whichever D-Bus client is there.
  bool RunScript(const std::string& imageUri) {
    // A JavaScript string in single quotes takes the same escapes as a GVariant text.
    const std::string script =
        "for (var k in desktops()) { var d = desktops()[k]; d.wallpaperPlugin = 'org.kde.image'; "
        "d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General']; d.writeConfig('Image', " +
        GVariantStringLiteral(imageUri) + "); }";
    for (const char* qdbus : {"qdbus6", "qdbus"}) {
      const ToolOutcome outcome =
          Tools().Run({qdbus, "org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript", script});
      if (outcome.result != ToolResult::kNotFound) return outcome.result == ToolResult::kOk;
    }
    return Tools().Ok({"dbus-send", "--session", "--type=method_call", "--dest=org.kde.plasmashell", "/PlasmaShell",
                       "org.kde.PlasmaShell.evaluateScript", "string:" + script});
  }

  // The picture through plasma-apply-wallpaperimage, or the D-Bus script when the tool is
  // missing or the name holds a "'", which the tool refuses.
  bool ApplyPicture(const std::string& hostPath) {
    if (hostPath.find('\'') == std::string::npos) {
      const ToolOutcome outcome = Tools().Run({"plasma-apply-wallpaperimage", hostPath});
      if (outcome.result != ToolResult::kNotFound) return outcome.result == ToolResult::kOk;
    }
    return RunScript(FileUriFromPath(hostPath));
  }
};

}  // namespace

std::unique_ptr<DesktopBackend> MakePlasmaBackend(int toolTimeoutMs) {
  return std::make_unique<PlasmaBackend>(toolTimeoutMs);
}

std::string NextPlasmaCopyPath(const std::string& hostPath) {
  constexpr std::size_t prefixLength = sizeof product::kWallpaperCopyPrefix - 1;
  // Longer numbers than an unsigned 64-bit value holds are no copy of ours.
  constexpr std::size_t longestName = prefixLength + 18 + 4;
  const std::filesystem::path folder = std::filesystem::path(hostPath).parent_path();
  unsigned long long largest = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (!IsCopyName(name) || name.size() > longestName) continue;
    largest = std::max(largest, std::strtoull(name.c_str() + prefixLength, nullptr, 10));
  }
  return (folder / (product::kWallpaperCopyPrefix + std::to_string(largest + 1) + ".bmp")).string();
}

}  // namespace ossen
