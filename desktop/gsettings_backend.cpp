// The desktops that take their wallpaper from gsettings: GNOME, Unity, Budgie and Pantheon
// (org.gnome.desktop.background), Cinnamon and MATE (each its own schema).
#include <vector>

#include "desktop/backend_common.h"

namespace ossen {
namespace {

struct GSettingsSchema {
  const char* schema;
  std::vector<const char*> keys;
  bool uri;  // the keys hold file:// URIs (else a plain path)
};

// Every one of these schemas places its picture by the same key and names.
constexpr char kOptionsKey[] = "picture-options";

const char* PictureOption(WallpaperPlacement placement) {
  switch (placement) {
    case WallpaperPlacement::Fill: return "zoom";
    case WallpaperPlacement::Fit: return "scaled";
    case WallpaperPlacement::Stretch: return "stretched";
    case WallpaperPlacement::Center: return "centered";
    case WallpaperPlacement::Tile: return "wallpaper";
    case WallpaperPlacement::Span: return "spanned";
  }
  return "zoom";
}

GSettingsSchema SchemaFor(DesktopKind kind) {
  if (kind == DesktopKind::kCinnamon) return {"org.cinnamon.desktop.background", {"picture-uri"}, true};
  if (kind == DesktopKind::kMate) return {"org.mate.background", {"picture-filename"}, false};
  return {"org.gnome.desktop.background", {"picture-uri", "picture-uri-dark"}, true};
}

class GSettingsBackend : public KeepingDesktopBackend {
 public:
  GSettingsBackend(DesktopKind kind, int toolTimeoutMs)
      : KeepingDesktopBackend(kind, toolTimeoutMs), desktop_(SchemaFor(kind)) {}

 protected:
  std::optional<OwnSettings> ReadOwnWallpaper() override {
    OwnSettings settings;
    for (const char* key : desktop_.keys) {
      const ToolOutcome got = Tools().Run({"gsettings", "get", desktop_.schema, key});
      if (got.result != ToolResult::kOk) {
        // Without the first key the desktop is not answering; a later key may just be missing.
        if (key == desktop_.keys.front()) return std::nullopt;
        continue;
      }
      if (std::optional<std::string> value = ParseGVariantString(got.output)) settings.emplace_back(key, *value);
    }
    // The person's placement goes back with the picture.
    const ToolOutcome options = Tools().Run({"gsettings", "get", desktop_.schema, kOptionsKey});
    if (options.result == ToolResult::kOk) {
      if (std::optional<std::string> value = ParseGVariantString(options.output)) settings.emplace_back(kOptionsKey, *value);
    }
    return settings;
  }

  // The placement first, so that the desktop draws the new picture once, already placed.
  bool Show(const WallpaperRequest& request) override {
    const std::string value = desktop_.uri ? FileUriFromPath(request.picturePath) : request.picturePath;
    bool ok = SetKey(kOptionsKey, PictureOption(request.placement));
    for (const char* key : desktop_.keys) ok = SetKey(key, value) && ok;
    return ok;
  }

  bool PutBack(const OwnSettings& own) override {
    bool ok = !own.empty();
    for (const auto& [key, value] : own) {
      bool known = key == kOptionsKey;
      for (const char* k : desktop_.keys) known = known || key == k;
      if (known) ok = SetKey(key, value) && ok;
    }
    return ok;
  }

 private:
  bool SetKey(const std::string& key, const std::string& value) {
    return Tools().Ok({"gsettings", "set", desktop_.schema, key, GVariantStringLiteral(value)});
  }

  GSettingsSchema desktop_;
};

}  // namespace

std::unique_ptr<DesktopBackend> MakeGSettingsBackend(DesktopKind kind, int toolTimeoutMs) {
  return std::make_unique<GSettingsBackend>(kind, toolTimeoutMs);
}

}  // namespace ossen
