// The drawing surface: pixels in one format code, an optional shared palette and clip, and
// one table of operations that every kind of surface fills in (image in a packed DIB,
// section with its own device context, window). The virtual functions below are declared in
// the table's slot order; the base gives each slot its default behaviour.
//
// Surfaces are reference counted by hand: made with a count of 1, AddRef by every further
// holder, Release by each; the Release that drops the count to 0 deletes the surface.
// `SurfaceRef` pairs them for C++ holders. While a graphics context exists every surface
// is listed with it, so that its ReleaseAll can delete whatever is still alive.
#pragma once

#include <cstdint>
#include <utility>

#include "gfx/clip_region.h"
#include "gfx/object_list.h"
#include "gfx/palette.h"
#include "platform/base/win_types.h"
#include "platform/win32/module.h"

namespace ossen {

class DataSource;
class DeviceContext;

// The last argument of a blit: the level of a translucent blit (kBlitDitheredLevel,
// kBlitLevelBlend) or the 8-bit mask surface of a masked one (kBlitMaskBlend,
// kBlitDitheredMask).
class Surface;
struct BlitExtra {
  int level = 0;
  Surface* mask = nullptr;
};

// Kinds, as TypeId reports them.
inline constexpr int kSurfaceTypeBase = 0;
inline constexpr int kSurfaceTypeDibImage = 1;
inline constexpr int kSurfaceTypeDibSection = 2;

class Surface {
 public:
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  // Slot 0: empties the fields; the reference count and the registry node stay.
  virtual void Reset();
  // Slot 1: draws source rectangle (sx, sy, sw, sh) of this surface into target
  // rectangle (dx, dy, dw, dh) through the blit engine.
  virtual int Blt(Surface* target, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh, DWORD flags,
                  BlitExtra extra);
  // Slot 2: the deleting destructor (unregisters).
  virtual ~Surface();
  // Slot 3.
  virtual int CreateBlank(int width, int height, DWORD format);
  // Slot 4: `name` is a file path (mode 0) or a resource name (mode 1); mode 2 reads the
  // bytes of `callerSource`. The low four bits of `flags` pick the mode.
  virtual int Load(const char* name, DWORD flags, HINSTANCE module, const ResourceId& type,
                   Surface* templateImage, DataSource* callerSource);
  // Slot 5: the general copy through LockBits of both surfaces.
  virtual int CopyFrom(Surface* source);
  // Slot 6.
  virtual int ConvertFormat(DWORD format, Palette* palette, DWORD flags);
  // Slot 7: releases palette and clip, then Reset.
  virtual void Destroy();
  // Slot 8.
  virtual int TypeId() const { return kSurfaceTypeBase; }
  // Slots 9 and 10.
  virtual int Width() const { return width; }
  virtual int Height() const { return height; }
  // Slot 11: no reference is added.
  virtual Palette* GetPalette() const { return palette.get(); }
  // Slot 12.
  virtual int WritePaletteToTable() { return kGfxNotSupported; }
  // Slot 13: the new reference is taken before the old one goes, so setting the palette
  // already set keeps it alive.
  virtual int SetPalette(Palette* newPalette);
  // Slot 14: a new palette without entries; the caller holds its one reference.
  virtual PaletteRef NewPalette() { return Palette::New(); }
  // Slot 15.
  virtual ClipRegion* GetClip() const { return clip.get(); }
  // Slot 16.
  virtual int SetClip(ClipRegion* newClip);
  // Slot 17.
  virtual ClipRegionRef NewClip() { return ClipRegion::New(); }
  // Slot 18: null source: 2; else the source's Blt into this surface.
  virtual int BltTo(int dx, int dy, int dw, int dh, Surface* source, int sx, int sy, int sw, int sh, DWORD flags,
                    BlitExtra extra);
  // Slot 19.
  virtual int FillRect(int x, int y, int w, int h, DWORD value);
  // Slot 20: unused.
  virtual int UnusedSlot20() { return kGfxNotSupported; }
  // Slot 21.
  virtual int LineTo(int x0, int y0, int x1, int y1, DWORD value);
  // Slot 22: only mode 1 on 16-bit surfaces changes anything.
  virtual int Tint(int x, int y, int w, int h, int mode, DWORD colour, int weight);
  // Slot 23: pixel (x, y) of the picture, bytes little-endian; 0 outside or on failure.
  virtual DWORD GetPixel(int x, int y);
  // Slot 24: 0 when stored (or nothing to store below 8 bits), else non-zero.
  virtual int SetPixel(int x, int y, DWORD value);
  // Slots 25 to 28.
  virtual DWORD GetSourceKey() const { return static_cast<DWORD>(sourceKey); }
  virtual int SetSourceKey(DWORD key);
  virtual DWORD GetDestKey() const { return static_cast<DWORD>(destKey); }
  virtual int SetDestKey(DWORD key);
  // Slot 29: the first row in memory and the bytes between rows.
  virtual int LockBits(std::uint8_t*& bits, int& stride);
  // Slot 30.
  virtual int UnlockBits() { return kGfxNotSupported; }
  // Slot 31: brings large pixel memory in ahead of a long operation.
  virtual void Prefetch() {}
  // Slots 32 and 33.
  virtual DeviceContext* GetDC() { return nullptr; }
  virtual void ReleaseDC(DeviceContext* /*dc*/) {}
  // Slot 34: whether row 0 in memory is the bottom row of the picture.
  virtual bool IsBottomUp() const { return false; }

  LONG AddRef() { return ++referenceCount; }
  // Drops one reference; the one that reaches 0 deletes the surface. The count left.
  LONG Release();
  // Used only by the context's shut-down: deletes the surface whatever its count.
  static void DeleteForShutdown(Surface* surface);

  std::uint16_t width = 0;
  std::uint16_t height = 0;
  DWORD format = 0;  // 0 = no image
  // Kept 32 bits wide (not 16) so that a wide row's stride is never cut.
  DWORD cachedStride = 0;
  std::uint16_t accessCount = 0;
  std::int32_t sourceKey = 0;
  std::int32_t destKey = 0;
  LONG referenceCount = 1;
  ObjectList::Node* registryNode = nullptr;
  PaletteRef palette;
  ClipRegionRef clip;

 protected:
  Surface();

  bool HasImage() const { return format != 0; }
};

// A counted reference to a surface: copying adds a reference, destruction releases one.
template <class T>
class SurfaceRef {
 public:
  SurfaceRef() = default;
  static SurfaceRef Adopt(T* surface) { return SurfaceRef(surface); }
  static SurfaceRef Share(T* surface) {
    if (surface) surface->AddRef();
    return SurfaceRef(surface);
  }
  SurfaceRef(const SurfaceRef& other) : surface_(other.surface_) {
    if (surface_) surface_->AddRef();
  }
  SurfaceRef(SurfaceRef&& other) noexcept : surface_(std::exchange(other.surface_, nullptr)) {}
  SurfaceRef& operator=(SurfaceRef other) noexcept {
    std::swap(surface_, other.surface_);
    return *this;
  }
  ~SurfaceRef() {
    if (surface_) surface_->Release();
  }

  T* get() const { return surface_; }
  T* operator->() const { return surface_; }
  T& operator*() const { return *surface_; }
  explicit operator bool() const { return surface_ != nullptr; }
  // Gives the reference to the caller (also: forgets a surface a shut-down deleted).
  T* Detach() { return std::exchange(surface_, nullptr); }

 private:
  explicit SurfaceRef(T* surface) : surface_(surface) {}
  T* surface_ = nullptr;
};

// Whether the blit kernels take their MMX forms: the context's flag, plain without one.
bool UseMmxKernels();

}  // namespace ossen
