#include "gfx/pixel_convert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "image/four_cc.h"
#include "image/packed_dib.h"

namespace ossen {
namespace {

struct Rgb {
  BYTE red, green, blue;
  bool operator==(const Rgb&) const = default;
};

// A bottom-up packed DIB in one of the bitmap's own formats, filled pixel by pixel.
std::vector<BYTE> MakeDib(LONG width, LONG height, DWORD format, const std::vector<Rgb>& pixels,
                          const std::vector<Rgb>& table = {}, const std::vector<BYTE>& indices = {}) {
  const DWORD headerSize = BuiltHeaderSize(format);
  const DWORD stride = RowStride(format, width);
  std::vector<BYTE> dib(headerSize + std::size_t{stride} * height);
  BuildHeader(width, height, format, dib);
  for (std::size_t i = 0; format == kFormatIndexed8 && i < table.size(); ++i) {
    BYTE* quad = dib.data() + kInfoHeaderBytes + 4 * i;
    quad[0] = table[i].blue, quad[1] = table[i].green, quad[2] = table[i].red;
  }
  for (LONG y = 0; y < height; ++y) {
    BYTE* row = dib.data() + headerSize + std::size_t{stride} * y;
    for (LONG x = 0; x < width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y * width + x);
      switch (FormatBitsPerPixel(format)) {
        case 8: row[x] = indices[i]; break;
        case 16: {
          const Rgb& c = pixels[i];
          const unsigned p = format == kFormatRgb565 ? (c.red >> 3) << 11 | (c.green >> 2) << 5 | c.blue >> 3
                                                     : (c.red >> 3) << 10 | (c.green >> 3) << 5 | c.blue >> 3;
          row[2 * x] = static_cast<BYTE>(p), row[2 * x + 1] = static_cast<BYTE>(p >> 8);
          break;
        }
        default: {
          BYTE* p = row + x * (FormatBitsPerPixel(format) / 8);
          p[0] = pixels[i].blue, p[1] = pixels[i].green, p[2] = pixels[i].red;
        }
      }
    }
  }
  return dib;
}

std::vector<Rgb> Pixels24(const GlobalBlock& dib, LONG width, LONG height) {
  std::vector<Rgb> pixels;
  const BYTE* bits = dib.data() + kInfoHeaderBytes;
  for (LONG y = 0; y < height; ++y) {
    for (LONG x = 0; x < width; ++x) {
      const BYTE* p = bits + std::size_t{RowStride(kFormatRgb888, width)} * y + 3 * x;
      pixels.push_back(Rgb{p[2], p[1], p[0]});
    }
  }
  return pixels;
}

BYTE IndexAt(const GlobalBlock& dib, LONG width, LONG x, LONG y) {
  return dib.data()[kInfoHeaderBytes + 1024 + std::size_t{RowStride(kFormatIndexed8, width)} * y + x];
}

PaletteRef MakePalette(const std::vector<Rgb>& colours, std::size_t count = 256) {
  PaletteRef palette = Palette::New();
  palette->Create(static_cast<DWORD>(count));
  std::vector<PaletteEntry> entries(count, PaletteEntry{0, 0, 0, 0});
  for (std::size_t i = 0; i < colours.size() && i < count; ++i) {
    entries[i] = PaletteEntry{colours[i].red, colours[i].green, colours[i].blue, 0};
  }
  palette->SetEntries(entries, 0, static_cast<DWORD>(count));
  return palette;
}

std::vector<Rgb> RandomColours(std::mt19937& random, std::size_t count, unsigned mask = 0xFF) {
  std::vector<Rgb> colours(count);
  for (Rgb& c : colours) {
    c = Rgb{static_cast<BYTE>(random() & mask), static_cast<BYTE>(random() & mask), static_cast<BYTE>(random() & mask)};
  }
  return colours;
}

TEST(PixelConvertTest, RoundTripsThroughEveryFormatCode) {
  std::mt19937 random(7);
  const LONG width = 13, height = 5;
  // Channels with the low three bits clear survive 5-bit fields; a palette of the picture's
  // own colours makes the 8-bit form exact too.
  const std::vector<Rgb> colours = RandomColours(random, 40, 0xF8);
  std::vector<Rgb> pixels;
  for (LONG i = 0; i < width * height; ++i) pixels.push_back(colours[random() % colours.size()]);
  const std::vector<BYTE> original = MakeDib(width, height, kFormatRgb888, pixels);
  PaletteRef palette = MakePalette(colours);

  const DWORD targets[] = {kFormatIndexed8, kFormatRgb555, kFormatRgb565, kFormatRgb888, kFormatXrgb8888,
                           0x10C60555, 0x10C60565, 0x18C60888, 0x20C60888};
  for (DWORD target : targets) {
    SCOPED_TRACE(target);
    GlobalBlock converted, back;
    ASSERT_EQ(ConvertPackedDib(original, target, palette.get(), 0, converted), kGfxOk);
    PackedDibLayout layout;
    ASSERT_TRUE(ReadPackedDib(converted.view(), layout));
    EXPECT_EQ(layout.header.bitCount, FormatBitsPerPixel(target));
    ASSERT_EQ(ConvertPackedDib(converted.view(), target, kFormatRgb888, nullptr, 0, back), kGfxOk);
    EXPECT_EQ(Pixels24(back, width, height), pixels);
  }
}

TEST(PixelConvertTest, MappingEqualsAPerPixelLookupForEverySourceDepth) {
  std::mt19937 random(11);
  const LONG width = 17, height = 6;
  const std::vector<Rgb> paletteColours = RandomColours(random, 256);
  PaletteRef palette = MakePalette(paletteColours);
  const BYTE* inverse = palette->InverseTable();
  ASSERT_NE(inverse, nullptr);

  const std::vector<Rgb> table = RandomColours(random, 256);
  std::vector<BYTE> indices(width * height);
  for (BYTE& i : indices) i = static_cast<BYTE>(random());
  const std::vector<Rgb> pixels = RandomColours(random, width * height);

  for (DWORD format : {kFormatIndexed8, kFormatRgb555, kFormatRgb565, kFormatRgb888, kFormatXrgb8888}) {
    SCOPED_TRACE(format);
    const std::vector<BYTE> source = MakeDib(width, height, format, pixels, table, indices);
    GlobalBlock mapped;
    ASSERT_EQ(ConvertPackedDib(source, kFormatIndexed8, palette.get(), kConvertMapToPalette, mapped), kGfxOk);
    const BYTE* quad = mapped.data() + kInfoHeaderBytes + 4 * 77;
    EXPECT_EQ((Rgb{quad[2], quad[1], quad[0]}), paletteColours[77]);
    for (LONG y = 0; y < height; ++y) {
      for (LONG x = 0; x < width; ++x) {
        const std::size_t i = static_cast<std::size_t>(y * width + x);
        Rgb c = format == kFormatIndexed8 ? table[indices[i]] : pixels[i];
        if (format == kFormatRgb555) c = Rgb{BYTE(c.red & 0xF8), BYTE(c.green & 0xF8), BYTE(c.blue & 0xF8)};
        if (format == kFormatRgb565) c = Rgb{BYTE(c.red & 0xF8), BYTE(c.green & 0xFC), BYTE(c.blue & 0xF8)};
        ASSERT_EQ(IndexAt(mapped, width, x, y), inverse[InverseTableIndex(c.red, c.green, c.blue)]) << x << "," << y;
      }
    }
  }
}

// Palette with black at 0 and white at 1; every other entry repeats black, so the octree
// keeps index 0 for it.
PaletteRef BlackAndWhite() { return MakePalette({{0, 0, 0}, {255, 255, 255}}); }

TEST(PixelConvertTest, ErrorDiffusionOnAOnePixelColumnPassesErrorsStraightDown) {
  // Bottom row first: 100 -> black (error +100, 5/16 = 31 below); 131 -> white (error
  // -124, (5 x -124) >> 4 = -39 below, rounding down); 166 - 39 = 127 -> black. A division
  // rounding toward zero would carry -38 and make the last pixel white.
  const std::vector<Rgb> column = {{100, 100, 100}, {100, 100, 100}, {166, 166, 166}};
  const std::vector<BYTE> source = MakeDib(1, 3, kFormatRgb888, column);
  PaletteRef palette = BlackAndWhite();
  GlobalBlock out;
  ASSERT_EQ(ConvertPackedDib(source, kFormatIndexed8, palette.get(), kConvertMapToPalette | kConvertDiffuseError, out),
            kGfxOk);
  EXPECT_EQ(IndexAt(out, 1, 0, 0), 0);
  EXPECT_EQ(IndexAt(out, 1, 0, 1), 1);
  EXPECT_EQ(IndexAt(out, 1, 0, 2), 0);
  GlobalBlock plain;
  ASSERT_EQ(ConvertPackedDib(source, kFormatIndexed8, palette.get(), kConvertMapToPalette, plain), kGfxOk);
  EXPECT_EQ(IndexAt(plain, 1, 0, 1), 0);
}

TEST(PixelConvertTest, ErrorDiffusionCarriesTheRemainderToTheRightAndTheRestBelow) {
  // One row of 100, 100, 100, then a row of 120: x0 black, error 100, right gets
  // 100 - (900 >> 4) = 44, so x1 sees 144 -> white; its error -111 leaves -48 for x2 (52,
  // black). Below: column 0 gets 31 + (-111 >> 4 = -7) = 24 -> 144, white.
  const std::vector<Rgb> pixels = {{100, 100, 100}, {100, 100, 100}, {100, 100, 100},
                                   {120, 120, 120}, {0, 0, 0},       {0, 0, 0}};
  const std::vector<BYTE> source = MakeDib(3, 2, kFormatRgb888, pixels);
  PaletteRef palette = BlackAndWhite();
  GlobalBlock out;
  ASSERT_EQ(ConvertPackedDib(source, kFormatIndexed8, palette.get(), kConvertMapToPalette | kConvertDiffuseError, out),
            kGfxOk);
  EXPECT_EQ(IndexAt(out, 3, 0, 0), 0);
  EXPECT_EQ(IndexAt(out, 3, 1, 0), 1);
  EXPECT_EQ(IndexAt(out, 3, 2, 0), 0);
  EXPECT_EQ(IndexAt(out, 3, 0, 1), 1);
}

TEST(PixelConvertTest, DirectConversionToEightBitsNeverChoosesReservedEntries) {
  std::vector<PaletteEntry> entries(256, PaletteEntry{0, 0, 0, 0});
  entries[5] = PaletteEntry{200, 100, 50, PC_RESERVED};
  entries[9] = PaletteEntry{190, 100, 50, 0};
  PaletteRef palette = Palette::New();
  palette->Create(256);
  palette->SetEntries(entries, 0, 256);
  const std::vector<BYTE> source = MakeDib(2, 1, kFormatRgb888, {{200, 100, 50}, {190, 100, 50}});
  for (DWORD flags : {0u, kConvertDiffuseError}) {
    GlobalBlock out;
    ASSERT_EQ(ConvertPackedDib(source, kFormatIndexed8, palette.get(), flags, out), kGfxOk);
    EXPECT_EQ(IndexAt(out, 2, 0, 0), 9);
    EXPECT_EQ(IndexAt(out, 2, 1, 0), 9);
    EXPECT_EQ(out.data()[kInfoHeaderBytes + 4 * 5 + 2], 200);  // the table still lists it
  }
  for (PaletteEntry& e : entries) e.flags = PC_RESERVED;
  palette->SetEntries(entries, 0, 256);
  GlobalBlock none;
  EXPECT_EQ(ConvertPackedDib(source, kFormatIndexed8, palette.get(), 0, none), kGfxFailed);
}

TEST(PixelConvertTest, RefusesWhatItCannotReadOrWrite) {
  const std::vector<BYTE> good = MakeDib(4, 4, kFormatRgb888, std::vector<Rgb>(16, Rgb{1, 2, 3}));
  PaletteRef palette = BlackAndWhite();
  GlobalBlock out;
  EXPECT_EQ(ConvertPackedDib(good, kFormatIndexed8, nullptr, kConvertMapToPalette, out), kGfxFailed);
  EXPECT_EQ(ConvertPackedDib(good, kFormatIndexed8, Palette::New().get(), 0, out), kGfxFailed);
  EXPECT_EQ(ConvertPackedDib(good, kFormatIndexed4, palette.get(), 0, out), kGfxFailed);
  EXPECT_EQ(ConvertPackedDib(good, kFormatRgb565, kFormatRgb888, nullptr, 0, out), kGfxFailed);  // depth mismatch
  EXPECT_EQ(ConvertPackedDib(ByteView(good).first(good.size() - 1), kFormatRgb555, nullptr, 0, out), kGfxFailed);

  std::vector<BYTE> compressed = good;
  SetCompressionFields(compressed.data(), kCompressionPkc1, 8);
  EXPECT_EQ(ConvertPackedDib(compressed, kFormatRgb555, nullptr, 0, out), kGfxFailed);

  std::vector<BYTE> fourBit(BuiltHeaderSize(kFormatIndexed4) + 16);
  BuildHeader(4, 4, kFormatIndexed4, fourBit);
  EXPECT_EQ(ConvertPackedDib(fourBit, kFormatRgb888, nullptr, 0, out), kGfxFailed);
  EXPECT_FALSE(out);
}

}  // namespace
}  // namespace ossen
