// No desktop to show a wallpaper on: no display at all, a desktop we have no interface for,
// or the bridge switched off. The Windows records are all that is written.
#include "desktop/backend_common.h"
#include "platform/base/trace.h"

namespace ossen {
namespace {

// No display, or a desktop we cannot reach: the wallpaper is only recorded. Nothing is ever
// kept for it, so giving back finds nothing (and forgets a stray empty keep as any desktop).
class UnreachableBackend : public KeepingDesktopBackend {
 public:
  explicit UnreachableBackend(DesktopKind kind) : KeepingDesktopBackend(kind, kDefaultDesktopToolTimeoutMs) {}

  DesktopResult ShowWallpaper(const WallpaperRequest&) override {
    Trace("desktop: no desktop we can reach (%s), wallpaper only recorded", Name());
    return {};
  }

 protected:
  std::optional<OwnSettings> ReadOwnWallpaper() override { return std::nullopt; }
  bool Show(const WallpaperRequest&) override { return false; }
  bool PutBack(const OwnSettings&) override { return false; }
};

// OSSEN_DESKTOP_BRIDGE=off: the running desktop is not touched, not even read.
class SwitchedOffBackend : public DesktopBackend {
 public:
  const char* Name() const override { return "off"; }
  DesktopResult ShowWallpaper(const WallpaperRequest&) override { return {}; }
  bool RestoreOwnWallpaper() override { return false; }
};

}  // namespace

std::unique_ptr<DesktopBackend> MakeUnreachableBackend(DesktopKind kind) {
  return std::make_unique<UnreachableBackend>(kind);
}

std::unique_ptr<DesktopBackend> MakeSwitchedOffBackend() { return std::make_unique<SwitchedOffBackend>(); }

}  // namespace ossen
