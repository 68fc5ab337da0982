// A bare X11 window manager: the root window's background (root_background.h). The person's
// own background is kept as a picture file in the prefix and drawn back from it.
#include <filesystem>
#include <system_error>

#include "desktop/backend_common.h"
#include "desktop/root_background.h"
#include "platform/win32/prefix.h"

namespace ossen {
namespace {

class X11RootBackend : public KeepingDesktopBackend {
 public:
  // The root window is set through libX11, not through a tool.
  X11RootBackend() : KeepingDesktopBackend(DesktopKind::kBareX11, kDefaultDesktopToolTimeoutMs) {}

 protected:
  std::optional<OwnSettings> ReadOwnWallpaper() override {
    if (SaveRootBackgroundAsBmp(KeptPicture())) return OwnSettings{{"picture", KeptPicture()}};
    return OwnSettings{};
  }

  bool Show(const WallpaperRequest& request) override {
    const DesktopResult shown = ShowPictureOnRoot(request);
    if (!shown.shown) Tools().Refuse(shown.reason);
    return shown.shown;
  }

  // Without a kept picture the root goes back to plain black.
  bool PutBack(const OwnSettings& own) override {
    const bool kept = !own.empty() && own.front().second == KeptPicture();
    const bool ok = kept ? SetRootPictureFromFile(KeptPicture()) : ClearRootBackground();
    std::error_code ignored;
    if (ok) std::filesystem::remove(KeptPicture(), ignored);
    return ok;
  }

 private:
  static std::string KeptPicture() { return PrefixDir() + "/desktop-own-x11.bmp"; }
};

}  // namespace

std::unique_ptr<DesktopBackend> MakeX11RootBackend() { return std::make_unique<X11RootBackend>(); }

}  // namespace ossen
