// Palette work measured against its peers in the same run:
//   building an inverse table through the octree     vs  a brute-force nearest-colour table
//   mapping a 1024 x 768 24-bit picture onto a palette vs  a memcpy of the source's bytes
// The error-diffused mapping is measured beside them. Each pair is printed as one ratio at
// the end. Run: build/bench/palette_bench (Google Benchmark flags are passed on; by default
// every case runs 5 times, interleaved, and a ratio uses each case's fastest repetition).
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/fastest_times.h"
#include "bench/painting.h"
#include "gfx/palette.h"
#include "gfx/pixel_convert.h"
#include "gfx/pixel_convert_simd.h"
#include "image/packed_dib.h"

namespace ossen::bench {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kPictureWidth = 1024;
constexpr int kPictureHeight = 768;

// The painting as a bottom-up 24-bit packed DIB.
const Bytes& Picture() {
  static const Bytes picture = [] {
    const Bytes rgb = RgbPainting(kPictureWidth, kPictureHeight);
    Bytes dib(BuiltHeaderSize(kFormatRgb888) + std::size_t{RowStride(kFormatRgb888, kPictureWidth)} * kPictureHeight);
    const DWORD headerSize = BuildHeader(kPictureWidth, kPictureHeight, kFormatRgb888, dib);
    const std::size_t stride = RowStride(kFormatRgb888, kPictureWidth);
    for (int y = 0; y < kPictureHeight; ++y) {
      std::uint8_t* row = dib.data() + headerSize + stride * (kPictureHeight - 1 - y);
      const std::uint8_t* in = rgb.data() + std::size_t{3} * kPictureWidth * y;
      for (int x = 0; x < kPictureWidth; ++x) {
        row[3 * x] = in[3 * x + 2], row[3 * x + 1] = in[3 * x + 1], row[3 * x + 2] = in[3 * x];
      }
    }
    return dib;
  }();
  return picture;
}

// 256 colours sampled from the painting, as a theme's palette would be.
std::vector<PaletteEntry> ThemeColours() {
  const Bytes rgb = RgbPainting(64, 48);
  std::vector<PaletteEntry> entries(256);
  for (std::size_t i = 0; i < 256; ++i) {
    const std::size_t at = (i * 12 + 5) * 3;
    entries[i] = PaletteEntry{rgb[at], rgb[at + 1], rgb[at + 2], 0};
  }
  return entries;
}

PaletteRef ThemePalette() {
  PaletteRef palette = Palette::New();
  palette->Create(256);
  const std::vector<PaletteEntry> entries = ThemeColours();
  palette->SetEntries(entries, 0, 256);
  return palette;
}

void InverseTableBuild(benchmark::State& state) {
  PaletteRef theme = ThemePalette();
  for (auto _ : state) {
    PaletteRef palette = theme->Clone();
    benchmark::DoNotOptimize(palette->InverseTable());
  }
}

// The table a plain search would build: every 5:5:5 colour against every entry.
void BruteForceTable(benchmark::State& state) {
  const std::vector<PaletteEntry> entries = ThemeColours();
  std::vector<std::uint8_t> table(kInverseTableSize);
  for (auto _ : state) {
    for (int colour = 0; colour < 32768; ++colour) {
      const int r = (colour >> 10) * 8, g = ((colour >> 5) & 31) * 8, b = (colour & 31) * 8;
      int best = 0, bestDistance = 1 << 30;
      for (int i = 0; i < 256; ++i) {
        const int dr = r - entries[i].red, dg = g - entries[i].green, db = b - entries[i].blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) bestDistance = distance, best = i;
      }
      table[colour] = static_cast<std::uint8_t>(best);
    }
    benchmark::DoNotOptimize(table.data());
  }
}

void MapPicture(benchmark::State& state, DWORD flags) {
  PaletteRef palette = ThemePalette();
  palette->InverseTable();  // built once per palette, as in use
  for (auto _ : state) {
    GlobalBlock out;
    if (ConvertPackedDib(Picture(), kFormatIndexed8, palette.get(), flags, out) != kGfxOk) state.SkipWithError("refused");
    benchmark::DoNotOptimize(out.data());
  }
}

void PictureMemcpy(benchmark::State& state) { CopyWithMemcpy(state, Picture()); }

// The mapping's parts on their own, to see what bounds it: the row loop into a buffer kept
// between runs (no allocation, no header), and the table reads alone.
void MapRowsOnly(benchmark::State& state) {
  PaletteRef palette = ThemePalette();
  const BYTE* inverse = palette->InverseTable();
  const Bytes& picture = Picture();
  const std::size_t stride = RowStride(kFormatRgb888, kPictureWidth);
  const std::uint8_t* pixels = picture.data() + BuiltHeaderSize(kFormatRgb888);
  Bytes out(std::size_t{kPictureWidth} * kPictureHeight);
  for (auto _ : state) {
    for (int y = 0; y < kPictureHeight; ++y) {
      MapRow(MapRowSource{pixels + stride * y, kPictureWidth, 3, false}, inverse, out.data() + y * kPictureWidth);
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
}

// One table read and one byte store per pixel at precomputed indices.
void TableReadsOnly(benchmark::State& state) {
  PaletteRef palette = ThemePalette();
  const BYTE* inverse = palette->InverseTable();
  const Bytes& picture = Picture();
  const std::uint8_t* pixels = picture.data() + BuiltHeaderSize(kFormatRgb888);
  const std::size_t count = std::size_t{kPictureWidth} * kPictureHeight;
  std::vector<std::uint16_t> indices(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = pixels + 3 * i;
    indices[i] = static_cast<std::uint16_t>(InverseTableIndex(p[2], p[1], p[0]));
  }
  Bytes out(count);
  for (auto _ : state) {
    for (std::size_t i = 0; i < count; ++i) out[i] = inverse[indices[i]];
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
}

BENCHMARK(InverseTableBuild);
BENCHMARK(BruteForceTable);
BENCHMARK_CAPTURE(MapPicture, Map, kConvertMapToPalette)->Name("MapPicture");
BENCHMARK_CAPTURE(MapPicture, Diffuse, kConvertMapToPalette | kConvertDiffuseError)->Name("DiffusePicture");
BENCHMARK(PictureMemcpy);
BENCHMARK(MapRowsOnly);
BENCHMARK(TableReadsOnly);


}  // namespace
}  // namespace ossen::bench

int main(int argc, char** argv) {
  return ossen::bench::RunAndPrintRatios(argc, argv, [](const ossen::bench::FastestTimes& times) {
    std::printf("inverse table: octree time / brute-force search time = %.3f\n",
                times.Ratio("InverseTableBuild", "BruteForceTable"));
    std::printf("mapping 1024 x 768 x 24 onto a palette / memcpy of the source = %.2f (target <= 3)\n",
                times.Ratio("MapPicture", "PictureMemcpy"));
    std::printf("  of which: the row loop alone / memcpy = %.2f, its table reads alone / memcpy = %.2f\n",
                times.Ratio("MapRowsOnly", "PictureMemcpy"), times.Ratio("TableReadsOnly", "PictureMemcpy"));
    std::printf("error-diffused mapping / memcpy of the source = %.2f\n", times.Ratio("DiffusePicture", "PictureMemcpy"));
  });
}
