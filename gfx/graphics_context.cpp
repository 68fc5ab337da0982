#include "gfx/graphics_context.h"

#include <new>

#include "gfx/object_registry.h"
#include "platform/base/cpu.h"

namespace ossen {

namespace {
GraphicsContext* currentContext = nullptr;
}  // namespace

std::unique_ptr<GraphicsContext> GraphicsContext::Create() {
  if (currentContext) return nullptr;
  return std::unique_ptr<GraphicsContext>(new (std::nothrow) GraphicsContext);
}

GraphicsContext* GraphicsContext::Current() { return currentContext; }

GraphicsContext::GraphicsContext() {
  currentContext = this;
  SetGraphicsContextExists(true);
}

GraphicsContext::~GraphicsContext() { ReleaseAll(); }

int GraphicsContext::Init(HINSTANCE instanceHandle, void* mainWindowHandle, DWORD options) {
  instance = instanceHandle;
  mainWindow = mainWindowHandle;
  mmxFlag = (options & kContextPlainKernels) == 0 && HasMmx() ? 1 : 0;
  return 0;
}

int GraphicsContext::ReleaseAll() {
  // Each destructor unlinks its own node, so the head moves on every time. A surface
  // going may release palettes and clips, which then leave their lists the same way.
  ObjectList& surfaces = SurfaceRegistry();
  while (ObjectList::Node* head = surfaces.Head()) Surface::DeleteForShutdown(static_cast<Surface*>(head->object));
  DeleteRegisteredPalettes();
  ObjectList& clips = ClipRegionRegistry();
  while (ObjectList::Node* head = clips.Head()) ClipRegion::DeleteForShutdown(static_cast<ClipRegion*>(head->object));
  if (currentContext == this) {
    currentContext = nullptr;
    SetGraphicsContextExists(false);
  }
  return 0;
}

SurfaceRef<DibSectionSurface> GraphicsContext::NewDibSection() { return DibSectionSurface::New(); }

std::unique_ptr<DisplayView> GraphicsContext::NewView() {
  return std::unique_ptr<DisplayView>(new (std::nothrow) DisplayView);
}

}  // namespace ossen
