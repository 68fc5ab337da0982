#include "gfx/surface.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "gfx/blit_engine.h"
#include "gfx/dib_image.h"
#include "gfx/dib_section_surface.h"
#include "gfx/graphics_context.h"
#include "gfx/object_registry.h"
#include "image/four_cc.h"
#include "platform/base/cpu.h"

namespace ossen {
namespace {

PaletteRef PaletteOf(DWORD count, BYTE seed = 0) {
  PaletteRef palette = Palette::New();
  palette->Create(count);
  std::vector<PaletteEntry> entries(count);
  for (DWORD i = 0; i < count; ++i) {
    entries[i] = PaletteEntry{static_cast<BYTE>(i + seed), static_cast<BYTE>(i * 3), static_cast<BYTE>(255 - i), 0};
  }
  palette->SetEntries(entries, 0, count);
  return palette;
}

SurfaceRef<DibSectionSurface> Section(int width, int height, DWORD format) {
  SurfaceRef<DibSectionSurface> section = DibSectionSurface::New();
  EXPECT_EQ(section->CreateBlank(width, height, format), 0);
  return section;
}

// A bottom-up 8-bit image whose memory row r holds bytes r * 16 + x.
SurfaceRef<DibImage> NumberedImage(int width, int height) {
  SurfaceRef<DibImage> image = DibImage::New();
  EXPECT_EQ(image->CreateBlank(width, height, kFormatIndexed8), 0);
  std::uint8_t* bits = nullptr;
  int stride = 0;
  EXPECT_EQ(image->LockBits(bits, stride), 0);
  for (int r = 0; r < height; ++r) {
    for (int x = 0; x < width; ++x) bits[r * stride + x] = static_cast<std::uint8_t>(r * 16 + x);
  }
  image->UnlockBits();
  return image;
}

TEST(GraphicsContextTest, ReleaseAllDeletesSurfacesThenPalettesThenClipsAndOnlyThoseListed) {
  SurfaceRef<DibSectionSurface> madeBefore = Section(4, 4, kFormatIndexed8);
  std::unique_ptr<GraphicsContext> context = GraphicsContext::Create();
  ASSERT_TRUE(context);
  EXPECT_EQ(GraphicsContext::Current(), context.get());
  EXPECT_FALSE(GraphicsContext::Create()) << "at most one context";
  EXPECT_EQ(context->Init(nullptr, nullptr, kContextPlainKernels), 0);
  EXPECT_EQ(context->mmxFlag, 0u);
  context->Init(nullptr, nullptr, 0);
  EXPECT_EQ(context->mmxFlag, static_cast<DWORD>(HasMmx()));

  SurfaceRef<DibSectionSurface> backBuffer = context->NewDibSection();
  ASSERT_EQ(backBuffer->CreateBlank(8, 8, kFormatIndexed8), 0);
  // The palette is held by the buffer and by this test, the clip by the buffer only: a
  // surface released after its palette would touch freed memory.
  PaletteRef shared = PaletteOf(256);
  ASSERT_EQ(backBuffer->SetPalette(shared.get()), 0);
  backBuffer->SetClip(backBuffer->NewClip().get());
  ClipRegionRef looseClip = ClipRegion::New();
  EXPECT_EQ(SurfaceRegistry().Count(), 1u);
  EXPECT_EQ(PaletteRegistry().Count(), 1u);
  EXPECT_EQ(ClipRegionRegistry().Count(), 2u);

  context.reset();
  EXPECT_TRUE(SurfaceRegistry().Empty());
  EXPECT_TRUE(PaletteRegistry().Empty()) << "a palette referenced elsewhere goes too";
  EXPECT_TRUE(ClipRegionRegistry().Empty());
  EXPECT_EQ(GraphicsContext::Current(), nullptr);
  backBuffer.Detach();
  shared.Detach();
  looseClip.Detach();

  // Made before the context: never listed, still alive and usable.
  EXPECT_EQ(madeBefore->FillRect(0, 0, 4, 4, 7), 0);
  EXPECT_EQ(madeBefore->GetPixel(3, 3), 7u);
}

TEST(SurfacePaletteTest, SizeChecksAndReferenceCounts) {
  SurfaceRef<DibSectionSurface> eightBit = Section(4, 4, kFormatIndexed8);
  SurfaceRef<DibSectionSurface> sixteenBit = Section(4, 4, kFormatRgb565);
  SurfaceRef<DibSectionSurface> empty = DibSectionSurface::New();
  PaletteRef small = PaletteOf(16);
  PaletteRef full = PaletteOf(256);
  PaletteRef none = Palette::New();

  EXPECT_EQ(empty->SetPalette(full.get()), kGfxNoImage);
  EXPECT_EQ(eightBit->SetPalette(small.get()), kGfxPaletteSizeMismatch);
  EXPECT_EQ(sixteenBit->SetPalette(full.get()), kGfxPaletteSizeMismatch);
  EXPECT_EQ(eightBit->SetPalette(none.get()), kGfxEmptyPalette);
  EXPECT_EQ(eightBit->GetPalette(), nullptr) << "a refused palette leaves the old one";

  EXPECT_EQ(eightBit->SetPalette(full.get()), 0);
  EXPECT_EQ(full->ReferenceCount(), 2);
  Palette* raw = full.get();
  full = PaletteRef();
  EXPECT_EQ(eightBit->SetPalette(raw), 0) << "the same palette again";
  EXPECT_EQ(raw->ReferenceCount(), 1) << "kept alive, still one reference";
  EXPECT_EQ(eightBit->GetPalette(), raw);
  EXPECT_EQ(eightBit->SetPalette(nullptr), 0);
  EXPECT_EQ(eightBit->GetPalette(), nullptr);
}

TEST(DibSectionSurfaceTest, ColourTableIsRewrittenOnceAfterSetEntries) {
  SurfaceRef<DibSectionSurface> section = Section(8, 2, kFormatIndexed8);
  RGBQUAD entry{};
  section->GetDC()->GetDIBColorTable(200, 1, &entry);
  EXPECT_EQ(entry.rgbRed + entry.rgbGreen + entry.rgbBlue, 0) << "all black before a palette";

  PaletteRef palette = PaletteOf(256);
  ASSERT_EQ(section->SetPalette(palette.get()), 0);
  EXPECT_EQ(section->ColorTableWrites(), 1u);
  std::uint8_t* bits = nullptr;
  int stride = 0;
  section->LockBits(bits, stride);
  section->UnlockBits();
  EXPECT_EQ(section->ColorTableWrites(), 1u) << "unchanged palette, nothing rewritten";

  const std::vector<PaletteEntry> band(5, PaletteEntry{1, 2, 3, 0});
  ASSERT_EQ(palette->SetEntries(band, 10, 5), 0);
  DeviceContext* dc = section->GetDC();
  section->LockBits(bits, stride);
  section->UnlockBits();
  EXPECT_EQ(section->ColorTableWrites(), 2u);
  dc->GetDIBColorTable(12, 1, &entry);
  EXPECT_EQ(entry.rgbRed, 1);
  EXPECT_EQ(entry.rgbGreen, 2);
  EXPECT_EQ(entry.rgbBlue, 3);
}

TEST(DibSectionSurfaceTest, CreateBlankRefusesWhatItCannotHold) {
  SurfaceRef<DibSectionSurface> section = DibSectionSurface::New();
  EXPECT_EQ(section->CreateBlank(10, 10, 0x12345678), kGfxFailed);
  EXPECT_EQ(section->CreateBlank(0, 10, kFormatIndexed8), kGfxFailed);
  EXPECT_EQ(section->CreateBlank(70000, 1, kFormatIndexed8), kGfxFailed);
  EXPECT_EQ(section->CreateBlank(20000, 1, kFormatXrgb8888), kGfxFailed) << "a row longer than the 16-bit stride";
  EXPECT_EQ(section->format, 0u);
  EXPECT_EQ(section->GetDC(), nullptr);
  std::uint8_t* bits = nullptr;
  int stride = 0;
  EXPECT_EQ(section->LockBits(bits, stride), kGfxNoImage);
  EXPECT_EQ(section->FillRect(0, 0, 1, 1, 0), kGfxNoImage);

  ASSERT_EQ(section->CreateBlank(640, 480, kFormatIndexed8), 0);
  EXPECT_EQ(section->LockBits(bits, stride), 0);
  EXPECT_EQ(stride, 640);
  EXPECT_EQ(section->ColorTableSize(), 256);
  section->Prefetch();
  section->UnlockBits();
}

TEST(SurfaceCopyTest, BottomUpImageIntoSectionReversesRowsAndCopiesThePalette) {
  SurfaceRef<DibImage> image = NumberedImage(5, 3);
  PaletteRef palette = PaletteOf(256, 9);
  ASSERT_EQ(image->SetPalette(palette.get()), 0);
  SurfaceRef<DibSectionSurface> section = DibSectionSurface::New();
  ASSERT_EQ(section->CopyFrom(image.get()), 0);
  std::uint8_t* bits = nullptr;
  int stride = 0;
  ASSERT_EQ(section->LockBits(bits, stride), 0);
  EXPECT_EQ(bits[0], 2 * 16) << "the image's last row in memory is the section's first";
  EXPECT_EQ(bits[2 * stride + 4], 4);
  section->UnlockBits();
  ASSERT_NE(section->GetPalette(), nullptr);
  EXPECT_NE(section->GetPalette(), palette.get()) << "a copy of the palette";
  EXPECT_EQ(section->GetPalette()->Entries()[7], palette->Entries()[7]);
  EXPECT_EQ(section->GetPixel(4, 2), image->GetPixel(4, 2)) << "the picture stays upright";

  SurfaceRef<DibSectionSurface> copy = DibSectionSurface::New();
  ASSERT_EQ(copy->CopyFrom(section.get()), 0);
  std::uint8_t* copyBits = nullptr;
  copy->LockBits(copyBits, stride);
  section->LockBits(bits, stride);
  EXPECT_EQ(std::memcmp(copyBits, bits, static_cast<std::size_t>(stride) * 3), 0) << "same orientation, same rows";
  EXPECT_EQ(copy->CopyFrom(copy.get()), 0) << "onto itself: kept";
  EXPECT_EQ(copy->width, 5);
  EXPECT_EQ(copy->CopyFrom(nullptr), kGfxFailed);
}

TEST(SurfacePixelTest, PixelsAreAddressedInPictureRows) {
  SurfaceRef<DibImage> image = DibImage::New();
  ASSERT_EQ(image->CreateBlank(3, 5, kFormatRgb888), 0);
  std::uint8_t* bits = nullptr;
  int stride = 0;
  ASSERT_EQ(image->LockBits(bits, stride), 0);
  std::memset(bits, 0, static_cast<std::size_t>(stride) * 5);
  bits[4 * stride + 0] = 0x11;
  bits[4 * stride + 1] = 0x22;
  bits[4 * stride + 2] = 0x33;
  image->UnlockBits();
  EXPECT_EQ(image->GetPixel(0, 0), 0x332211u) << "the last row in memory";
  EXPECT_EQ(image->SetPixel(2, 4, 0xABCDEF), 0);
  image->LockBits(bits, stride);
  EXPECT_EQ(bits[6], 0xEF);
  EXPECT_EQ(bits[8], 0xAB);
  image->UnlockBits();
  EXPECT_NE(image->SetPixel(3, 0, 1), 0);
  EXPECT_NE(image->SetPixel(-1, 0, 1), 0);
  EXPECT_EQ(image->GetPixel(0, 5), 0u);
  EXPECT_EQ(image->accessCount, 0);

  SurfaceRef<DibImage> fourBit = DibImage::New();
  ASSERT_EQ(fourBit->CreateBlank(4, 4, 0x44000000), 0);
  fourBit->FillRect(0, 0, 4, 4, 0xF);
  EXPECT_EQ(fourBit->GetPixel(1, 1), 0u);
}

TEST(SurfaceBlitTest, PageCopyIntoBackBufferAndItsFailures) {
  SurfaceRef<DibImage> page = NumberedImage(6, 4);
  SurfaceRef<DibSectionSurface> backBuffer = Section(16, 8, kFormatIndexed8);
  ASSERT_EQ(backBuffer->BltTo(2, 1, 6, 4, page.get(), 0, 0, 6, 4, 0, {}), 0);
  std::uint8_t* bits = nullptr;
  int stride = 0;
  backBuffer->LockBits(bits, stride);
  for (int r = 0; r < 4; ++r) {
    for (int x = 0; x < 6; ++x) ASSERT_EQ(bits[(r + 1) * stride + x + 2], r * 16 + x) << r << "," << x;
  }
  EXPECT_EQ(bits[0], 0);
  backBuffer->UnlockBits();
  EXPECT_EQ(page->accessCount, 0);
  EXPECT_EQ(backBuffer->accessCount, 0);

  EXPECT_EQ(backBuffer->BltTo(0, 0, 6, 4, nullptr, 0, 0, 6, 4, 0, {}), kGfxFailed);
  EXPECT_EQ(page->Blt(nullptr, 0, 0, 6, 4, 0, 0, 6, 4, 0, {}), kGfxFailed);
  SurfaceRef<DibSectionSurface> empty = DibSectionSurface::New();
  EXPECT_EQ(empty->BltTo(0, 0, 6, 4, page.get(), 0, 0, 6, 4, 0, {}), kGfxNoImage);
  EXPECT_EQ(backBuffer->BltTo(0, 0, 6, 4, page.get(), 7, 0, 6, 4, 0, {}), kGfxFailed) << "source rectangle outside";

  // A compressed image can be neither source nor target; the other is unlocked again.
  ASSERT_EQ(page->Compress(kCompressionPkcc), 0);
  EXPECT_EQ(backBuffer->BltTo(0, 0, 6, 4, page.get(), 0, 0, 6, 4, 0, {}), kGfxCompressed);
  EXPECT_EQ(backBuffer->accessCount, 0);
  EXPECT_EQ(page->FillRect(0, 0, 1, 1, 0), kGfxCompressed);

  // Scaling goes through the same path: a 2x enlargement repeats every pixel.
  SurfaceRef<DibImage> small = NumberedImage(2, 2);
  SurfaceRef<DibSectionSurface> big = Section(4, 4, kFormatIndexed8);
  ASSERT_EQ(big->BltTo(0, 0, 4, 4, small.get(), 0, 0, 2, 2, 0, {}), 0);
  EXPECT_EQ(big->GetPixel(3, 3), 16u + 1);
  EXPECT_EQ(big->GetPixel(1, 0), 0u);
}

TEST(SurfaceClipTest, ClipLimitsFillsLinesAndBlits) {
  ClipRegionRef clip = ClipRegion::New();
  RECT bounds{};
  EXPECT_EQ(clip->GetBounds(bounds), 1) << "no region yet";
  EXPECT_EQ(clip->SetRect(2, 1, 3, 2), 0);
  ASSERT_EQ(clip->GetBounds(bounds), 0);
  EXPECT_EQ(bounds.right, 5);
  EXPECT_EQ(bounds.bottom, 3);
  EXPECT_EQ(clip->SetRect(0x7FFFFFF0, 0, 0x100, 1), kGfxFailed);
  EXPECT_EQ(clip->SetRect(0, 0, -1, 1), kGfxFailed);
  ClipRegionRef clone = clip->Clone();
  ASSERT_EQ(clone->GetBounds(bounds), 0);
  EXPECT_EQ(bounds.left, 2);
  EXPECT_EQ(ClipRegion::New()->CreateFrom(nullptr), kGfxFailed);

  SurfaceRef<DibSectionSurface> section = Section(8, 4, kFormatIndexed8);
  section->SetClip(clip.get());
  EXPECT_EQ(clip->ReferenceCount(), 2);
  EXPECT_EQ(section->FillRect(0, 0, 8, 4, 9), 0);
  EXPECT_EQ(section->GetPixel(2, 1), 9u);
  EXPECT_EQ(section->GetPixel(4, 2), 9u);
  EXPECT_EQ(section->GetPixel(5, 2), 0u);
  EXPECT_EQ(section->GetPixel(2, 3), 0u);
  EXPECT_EQ(section->GetPixel(1, 1), 0u);
  section->LineTo(0, 0, 8, 0, 3);
  EXPECT_EQ(section->GetPixel(3, 0), 0u) << "outside the clip";

  SurfaceRef<DibImage> page = NumberedImage(8, 4);
  ASSERT_EQ(section->BltTo(0, 0, 8, 4, page.get(), 0, 0, 8, 4, 0, {}), 0);
  EXPECT_EQ(section->GetPixel(0, 0), 0u);
  EXPECT_EQ(section->GetPixel(3, 2), page->GetPixel(3, 1)) << "memory row 2 of the image, drawn unflipped";
  section->Destroy();
  EXPECT_EQ(clip->ReferenceCount(), 1);
}

TEST(DibSectionSurfaceTest, ConvertFormatSharesTheGivenPaletteAndLoadReadsStoredImages) {
  SurfaceRef<DibSectionSurface> section = Section(4, 2, kFormatRgb888);
  section->FillRect(0, 0, 4, 2, 0x00FF0000);
  PaletteRef palette = PaletteOf(256);
  std::vector<PaletteEntry> red(1, PaletteEntry{255, 0, 0, 0});
  palette->SetEntries(red, 77, 1);
  ASSERT_EQ(section->ConvertFormat(kFormatIndexed8, palette.get(), 1), 0);
  EXPECT_EQ(section->format, kFormatIndexed8);
  EXPECT_EQ(section->GetPalette(), palette.get());
  EXPECT_EQ(section->GetPixel(3, 1), 77u);

  // Load from a caller's data source of a compressed image: decompressed and copied.
  SurfaceRef<DibImage> image = NumberedImage(5, 3);
  ASSERT_EQ(image->Compress(kCompressionPkcc), 0);
  SurfaceRef<DibSectionSurface> loaded = DibSectionSurface::New();
  ASSERT_EQ(loaded->Load(nullptr, kLoadFromDataSource | kLoadCopyBytes, nullptr, ResourceId("BIN"), nullptr,
                         image->source.get()),
            0);
  EXPECT_EQ(loaded->width, 5);
  EXPECT_EQ(loaded->GetPixel(4, 0), 2u * 16 + 4);
  EXPECT_EQ(loaded->Load(nullptr, 7, nullptr, ResourceId("BIN"), nullptr, nullptr), kGfxFailed);
}

}  // namespace
}  // namespace ossen
