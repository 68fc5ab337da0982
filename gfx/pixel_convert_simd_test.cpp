#include "gfx/pixel_convert_simd.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "gfx/palette.h"

namespace ossen {
namespace {

constexpr MapRowForm kVectorForms[] = {MapRowForm::kSse2, MapRowForm::kSsse3, MapRowForm::kAvx2};

// A table whose bytes differ for neighbouring indices, so that any wrong index shows.
std::vector<BYTE> ScrambledTable() {
  std::vector<BYTE> table(kInverseTableSize);
  std::mt19937 random(7);
  for (BYTE& b : table) b = static_cast<BYTE>(random());
  return table;
}

// Every form against the plain loop: widths 1 to 67, the row at each byte offset in its
// buffer, both pixel sizes and channel orders. Each row sits at the very end of its own
// heap block, so a read past its last pixel is caught by the address sanitizer.
TEST(PaletteMapRowTest, EveryFormWritesWhatThePlainLoopWrites) {
  const std::vector<BYTE> table = ScrambledTable();
  std::mt19937 random(42);
  int formsRun = 0;
  for (MapRowForm form : kVectorForms) {
    std::vector<BYTE> probe(1);
    if (!MapRowWith(form, MapRowSource{}, table.data(), probe.data())) continue;
    ++formsRun;
    for (std::size_t bytesPerPixel : {3u, 4u}) {
      for (bool redFirst : {false, true}) {
        for (std::size_t width = 1; width <= 67; ++width) {
          for (std::size_t offset = 0; offset < 16; ++offset) {
            const std::size_t bytes = offset + width * bytesPerPixel;
            auto buffer = std::make_unique<BYTE[]>(bytes);
            for (std::size_t i = 0; i < bytes; ++i) buffer[i] = static_cast<BYTE>(random());
            const MapRowSource row{buffer.get() + offset, width, bytesPerPixel, redFirst};
            std::vector<BYTE> expected(width + 1, 0xAA), actual(width + 1, 0xAA);
            MapRowPlain(row, table.data(), expected.data());
            ASSERT_TRUE(MapRowWith(form, row, table.data(), actual.data()));
            ASSERT_EQ(actual, expected) << "form " << static_cast<int>(form) << ", " << bytesPerPixel
                                        << " bytes per pixel, red first " << redFirst << ", width " << width
                                        << ", offset " << offset;
          }
        }
      }
    }
  }
  EXPECT_GE(formsRun, 1);
}

// The extreme colours reach both ends of the table, and each channel lands in its own field.
TEST(PaletteMapRowTest, ChannelsLandInTheirFieldsAtTheTablesEnds) {
  std::vector<BYTE> table(kInverseTableSize, 0);
  table[0] = 1, table[kInverseTableSize - 1] = 2, table[0x7C00] = 3, table[0x3E0] = 4, table[0x1F] = 5;
  // Blue first: black, white, red, green, blue, repeated past one vector step.
  const BYTE colours[5][3] = {{0, 0, 0}, {255, 255, 255}, {0, 0, 255}, {0, 255, 0}, {255, 0, 0}};
  for (std::size_t bytesPerPixel : {3u, 4u}) {
    for (bool redFirst : {false, true}) {
      std::vector<BYTE> pixels;
      for (int i = 0; i < 40; ++i) {
        const BYTE* c = colours[i % 5];
        if (redFirst) {
          pixels.insert(pixels.end(), {c[2], c[1], c[0]});
        } else {
          pixels.insert(pixels.end(), {c[0], c[1], c[2]});
        }
        if (bytesPerPixel == 4) pixels.push_back(0xFF);  // the fourth byte is ignored
      }
      std::vector<BYTE> out(40);
      MapRow(MapRowSource{pixels.data(), 40, bytesPerPixel, redFirst}, table.data(), out.data());
      for (int i = 0; i < 40; ++i) EXPECT_EQ(out[i], i % 5 + 1) << i;
    }
  }
}

}  // namespace
}  // namespace ossen
