// The desktop the person is looking at, behind one interface: each desktop family shows a
// wallpaper file through its own tools and gives the person's own wallpaper back.
//
// Before the first wallpaper ossen shows on a desktop, the desktop's own setting is read and
// kept (own_wallpaper.h); RestoreOwnWallpaper puts it back and forgets it. A missing
// desktop, a missing tool or a failing one is traced, never an error.
#pragma once

#include <memory>
#include <string>

#include "desktop/desktop_kind.h"
#include "desktop/wallpaper_request.h"

namespace ossen {

// How long one desktop tool may run before it is killed; tests shorten it.
inline constexpr int kDefaultDesktopToolTimeoutMs = 5000;

class DesktopBackend {
 public:
  virtual ~DesktopBackend() = default;

  // The desktop's short name (DesktopKindName), "off" when switched off.
  virtual const char* Name() const = 0;
  // Shows the request's picture (a fresh name per change, see desktop_picture.h) with the
  // desktop's nearest mode for its placement, keeping the person's own setting first when
  // none is kept yet. A desktop that
  // refuses it says why; no desktop at all is no refusal (an empty reason).
  virtual DesktopResult ShowWallpaper(const WallpaperRequest& request) = 0;
  // Puts back the person's own setting kept before ossen's first change, then forgets it,
  // and removes every picture copy ossen made for the desktop (also older "ossen-<n>.bmp"
  // copies the desktop still names). True when something was put back.
  virtual bool RestoreOwnWallpaper() = 0;
};

// The backend of `kind`; for no desktop or one we have no interface for, a backend that
// only traces. A tool that runs longer than `toolTimeoutMs` (0: the default) is killed.
std::unique_ptr<DesktopBackend> MakeDesktopBackend(DesktopKind kind, int toolTimeoutMs = kDefaultDesktopToolTimeoutMs);

// The backend of this process's session (DetectDesktop). OSSEN_DESKTOP_BRIDGE=off in the
// environment keeps ossen away from the running desktop (tests, benchmarks): the backend
// then does nothing, and only the Windows records are written.
std::unique_ptr<DesktopBackend> MakeDesktopBackendForSession();

}  // namespace ossen
