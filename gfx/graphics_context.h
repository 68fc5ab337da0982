// The graphics context: at most one lives at a time, from the window that draws until it
// closes. While it exists every new surface, palette and clip is listed with it, and its
// ReleaseAll (also run when it is deleted) deletes whatever is still alive. It also holds
// the processor flag that selects the MMX forms of the blit kernels.
#pragma once

#include <memory>

#include "gfx/dib_section_surface.h"
#include "gfx/display_view.h"
#include "gfx/surface.h"
#include "platform/base/win_types.h"
#include "platform/win32/module.h"

namespace ossen {

// Init option bit 0: use the plain kernels even on a processor with MMX.
inline constexpr DWORD kContextPlainKernels = 0x1;

class GraphicsContext {
 public:
  // The new context, which becomes the current one; null while another one exists.
  static std::unique_ptr<GraphicsContext> Create();
  // The living context, or null.
  static GraphicsContext* Current();

  GraphicsContext(const GraphicsContext&) = delete;
  GraphicsContext& operator=(const GraphicsContext&) = delete;
  // Slot 0: runs ReleaseAll.
  ~GraphicsContext();

  // Slot 1: stores instance and window; MMX flag 1 when option bit 0 is clear and the
  // processor has MMX. Returns 0.
  int Init(HINSTANCE instanceHandle, void* mainWindowHandle, DWORD options);
  // Slot 2: deletes every listed surface, then every listed palette (also one still
  // referenced elsewhere), then every listed clip; the context stops being current. 0.
  int ReleaseAll();
  // Slot 4: a new, empty section surface.
  SurfaceRef<DibSectionSurface> NewDibSection();
  // Slot 5: a new, closed display view.
  std::unique_ptr<DisplayView> NewView();

  HINSTANCE instance = nullptr;
  void* mainWindow = nullptr;  // the window handle, opaque here
  DWORD mmxFlag = 0;

 private:
  GraphicsContext();
};

}  // namespace ossen
