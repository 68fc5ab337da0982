// A section: pixel memory of our own with rows top-down, a colour table for indexed
// formats, and its own device context over that memory for the text and blits that GDI
// would draw. The back buffer of the book window and every scaled picture of the apply
// engine are sections.
#pragma once

#include <array>
#include <cstdint>

#include "gfx/surface.h"
#include "image/global_block.h"
#include "platform/draw/device_context.h"

namespace ossen {

class DibSectionSurface : public Surface {
 public:
  // A new empty section, reference count 1; null when memory ran out.
  static SurfaceRef<DibSectionSurface> New();
  ~DibSectionSurface() override;

  void Reset() override;
  // Zeroed pixels, an all-black colour table for indexed formats. 2 (and empty) for an
  // unknown format, a size outside 1..65535 or rows longer than 0xFFFC bytes.
  int CreateBlank(int width, int height, DWORD format) override;
  // Through a temporary image, decompressed and copied in.
  int Load(const char* name, DWORD flags, HINSTANCE module, const ResourceId& type, Surface* templateImage,
           DataSource* callerSource) override;
  // Through a temporary image; the given palette object itself is then shared.
  int ConvertFormat(DWORD targetFormat, Palette* targetPalette, DWORD flags) override;
  void Destroy() override;
  int TypeId() const override { return kSurfaceTypeDibSection; }
  // Rewrites the colour table when the palette changed since the last write.
  int WritePaletteToTable() override;
  int SetPalette(Palette* newPalette) override;
  int LockBits(std::uint8_t*& bits, int& stride) override;
  int UnlockBits() override;
  void Prefetch() override;
  // Null without image; else the section's context, colour table up to date.
  DeviceContext* GetDC() override;
  void ReleaseDC(DeviceContext* dc) override;
  bool IsBottomUp() const override { return false; }

  // The colour table as the context holds it; 0 entries for a direct-colour section.
  int ColorTableSize() const { return memoryDc_.colorCount(); }
  // How many times the colour table has been written from a palette.
  std::uint32_t ColorTableWrites() const { return colorTableWrites_; }

  DWORD writtenPaletteVersion = 0;

 private:
  DibSectionSurface() = default;

  GlobalBlock bits_;
  DWORD stride_ = 0;
  DeviceContext memoryDc_;
  std::uint32_t colorTableWrites_ = 0;
};

}  // namespace ossen
