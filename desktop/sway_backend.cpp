// sway: the background of every output through swaymsg. sway cannot be asked what it shows;
// its own configuration, reloaded, is what gives the person's background back.
#include "desktop/backend_common.h"
#include "platform/base/trace.h"

namespace ossen {
namespace {

// sway's bg mode for the placement; sway has no one picture across outputs.
const char* BackgroundMode(WallpaperPlacement placement) {
  switch (placement) {
    case WallpaperPlacement::Fit: return "fit";
    case WallpaperPlacement::Stretch: return "stretch";
    case WallpaperPlacement::Center: return "center";
    case WallpaperPlacement::Tile: return "tile";
    case WallpaperPlacement::Fill:
    case WallpaperPlacement::Span: break;
  }
  return "fill";
}

class SwayBackend : public KeepingDesktopBackend {
 public:
  explicit SwayBackend(int toolTimeoutMs) : KeepingDesktopBackend(DesktopKind::kSway, toolTimeoutMs) {}

 protected:
  std::optional<OwnSettings> ReadOwnWallpaper() override { return OwnSettings{}; }

  bool Show(const WallpaperRequest& request) override {
    // swaymsg joins its arguments into one sway command, which has its own quoting.
    if (request.picturePath.find('"') != std::string::npos) {
      Trace("desktop: sway cannot take a path with a double quote: %s", request.picturePath.c_str());
      Tools().Refuse("sway cannot take a file name with a double quote");
      return false;
    }
    return Tools().Ok(
        {"swaymsg", "output", "*", "bg", "\"" + request.picturePath + "\"", BackgroundMode(request.placement)});
  }

  bool PutBack(const OwnSettings&) override { return Tools().Ok({"swaymsg", "reload"}); }
};

}  // namespace

std::unique_ptr<DesktopBackend> MakeSwayBackend(int toolTimeoutMs) { return std::make_unique<SwayBackend>(toolTimeoutMs); }

}  // namespace ossen
