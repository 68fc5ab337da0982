#include "platform/draw/device_context.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <vector>

// fontconfig keeps the patterns of every font it has matched (one per distinct size and
// weight) until the process ends; those are not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace ossen {
namespace {

// Text needs a font system; the tests never depend on a display.
const bool kOffscreen = (setenv("QT_QPA_PLATFORM", "offscreen", 1), true);

constexpr BYTE kGuard = 0xA5;
constexpr int kGuardBytes = 64;

// Pixel rows with guard bytes before, after and at the end of every row, so that a write
// outside the picture shows up even without AddressSanitizer.
class Canvas {
 public:
  Canvas(int width, int height, int bitsPerPixel = 8, BYTE fill = 0)
      : width_(width), height_(height), bpp_(bitsPerPixel),
        stride_(width * bitsPerPixel / 8 + 8),
        memory_(static_cast<std::size_t>(stride_ * height + 2 * kGuardBytes), kGuard) {
    for (int y = 0; y < height; ++y)
      std::fill_n(Row(y), width * bpp_ / 8, fill);
  }
  PixelTarget Target() { return PixelTarget{Row(0), stride_, width_, height_, bpp_}; }
  BYTE* Row(int y) { return memory_.data() + kGuardBytes + static_cast<std::ptrdiff_t>(y) * stride_; }
  BYTE At(int x, int y) { return Row(y)[x]; }
  bool GuardsIntact() {
    for (std::size_t i = 0; i < memory_.size(); ++i) {
      const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(i) - kGuardBytes;
      const bool inside = offset >= 0 && offset < stride_ * height_ && offset % stride_ < width_ * bpp_ / 8;
      if (!inside && memory_[i] != kGuard) return false;
    }
    return true;
  }
  std::set<BYTE> Values() {
    std::set<BYTE> values;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) values.insert(At(x, y));
    return values;
  }
  bool SameAs(Canvas& other) {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_ * bpp_ / 8; ++x)
        if (Row(y)[x] != other.Row(y)[x]) return false;
    return true;
  }
  // Rows [first, last] that hold `value`; {-1, -1} when none.
  std::pair<int, int> RowsHolding(BYTE value) {
    int first = -1, last = -1;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        if (At(x, y) == value) {
          if (first < 0) first = y;
          last = y;
        }
    return {first, last};
  }

 private:
  int width_, height_, bpp_;
  std::ptrdiff_t stride_;
  std::vector<BYTE> memory_;
};

// Index 0 black, 1 white, 2 red, 3 a grey; the rest a ramp of blues, none near the others.
std::vector<RGBQUAD> SmallTable() {
  std::vector<RGBQUAD> table(256);
  table[0] = RGBQUAD{0, 0, 0, 0};
  table[1] = RGBQUAD{255, 255, 255, 0};
  table[2] = RGBQUAD{0, 0, 255, 0};
  table[3] = RGBQUAD{128, 128, 128, 0};
  for (int i = 4; i < 256; ++i) table[i] = RGBQUAD{static_cast<BYTE>(i), 0, 40, 0};
  return table;
}

TEST(NearestColorIndex, ExactEntryFirstElseNearestWithTiesToTheLowestIndex) {
  std::vector<RGBQUAD> table = SmallTable();
  EXPECT_EQ(NearestColorIndex(table.data(), 256, RGB(255, 0, 0)), 2);
  EXPECT_EQ(NearestColorIndex(table.data(), 256, RGB(200, 10, 10)), 2);
  EXPECT_EQ(NearestColorIndex(table.data(), 256, RGB(250, 250, 250)), 1);
  table[7] = table[2];  // a duplicate later in the table never wins
  EXPECT_EQ(NearestColorIndex(table.data(), 256, RGB(255, 0, 0)), 2);
  // Equidistant between black (0) and the grey (3) at 64: the lower index.
  const RGBQUAD pair[] = {{0, 0, 0, 0}, {128, 128, 128, 0}};
  EXPECT_EQ(NearestColorIndex(pair, 2, RGB(64, 64, 64)), 0);
  EXPECT_EQ(NearestColorIndex(table.data(), 3, RGB(128, 128, 128)), 1);  // count limits the search
  EXPECT_EQ(NearestColorIndex(table.data(), 0, RGB(1, 2, 3)), 0);
  EXPECT_EQ(NearestColorIndex(nullptr, 5, RGB(1, 2, 3)), 0);
}

TEST(DeviceContextState, FontsTablesAndTargetChecks) {
  Canvas canvas(8, 8);
  std::vector<RGBQUAD> table = SmallTable();
  DeviceContext dc(canvas.Target(), table.data(), 256);
  EXPECT_EQ(dc.SetBkMode(7), 0);
  EXPECT_EQ(dc.GetBkMode(), OPAQUE);

  const Font small = CreateFont(-10, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, VARIABLE_PITCH | FF_SWISS, nullptr);
  {
    const Font large(-12, 400, false, VARIABLE_PITCH | FF_SWISS, "");
    EXPECT_EQ(dc.SelectObject(&small), nullptr);
    EXPECT_EQ(dc.SelectObject(&large), &small);
  }
  EXPECT_TRUE(dc.TextOut(0, 0, "x", 1));  // the destroyed font's description is still there

  // The colour table keeps to its size.
  DeviceContext sixteen(canvas.Target(), table.data(), 16);
  RGBQUAD entries[4] = {};
  EXPECT_EQ(sixteen.SetDIBColorTable(14, 4, entries), 2u);
  EXPECT_EQ(sixteen.SetDIBColorTable(16, 1, entries), 0u);
  EXPECT_EQ(sixteen.GetDIBColorTable(12, 10, entries), 4u);
  EXPECT_EQ(entries[1].rgbBlue, table[13].rgbBlue);

  // Unusable targets draw nothing.
  PixelTarget shortRows = canvas.Target();
  shortRows.stride = 4;
  EXPECT_FALSE(DeviceContext(shortRows).HasTarget());
  PixelTarget fourBits = canvas.Target();
  fourBits.bitsPerPixel = 4;
  EXPECT_FALSE(DeviceContext(fourBits).HasTarget());
  DeviceContext none;
  EXPECT_FALSE(none.TextOut(0, 0, "x", 1));
  EXPECT_FALSE(none.BitBlt(0, 0, 1, 1, dc, 0, 0, SRCCOPY));
  EXPECT_FALSE(dc.BitBlt(0, 0, 1, 1, none, 0, 0, SRCCOPY));
}

class DeviceContextText : public ::testing::Test {
 protected:
  std::vector<RGBQUAD> table_ = SmallTable();
  Font small_ = Font(-10, FW_NORMAL, false, VARIABLE_PITCH | FF_SWISS, "");
  Font large_ = Font(-12, FW_NORMAL, false, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
};

TEST_F(DeviceContextText, TextWritesOnlyTheTextAndBackgroundIndices) {
  Canvas canvas(120, 40, 8, 9);
  DeviceContext dc(canvas.Target(), table_.data(), 256);
  dc.SelectObject(&large_);
  dc.SetTextColor(RGB(250, 5, 5));      // not in the table: nearest is red, index 2
  dc.SetBkColor(RGB(120, 130, 125));    // nearest is the grey, index 3
  ASSERT_TRUE(dc.TextOut(10, 10, "Hamburg 12:30", -1));
  EXPECT_EQ(canvas.Values(), (std::set<BYTE>{2, 3, 9}));
  // The cell starts at the given top-left corner.
  EXPECT_EQ(canvas.At(10, 10), 3);
  EXPECT_EQ(canvas.At(9, 10), 9);
  EXPECT_EQ(canvas.At(10, 9), 9);
  EXPECT_TRUE(canvas.GuardsIntact());
}

TEST_F(DeviceContextText, TransparentTextLeavesTheBackgroundUntouched) {
  Canvas canvas(120, 40, 8, 9);
  DeviceContext dc(canvas.Target(), table_.data(), 256);
  dc.SelectObject(&small_);
  dc.SetBkMode(TRANSPARENT);
  ASSERT_TRUE(dc.TextOut(4, 4, "Monet", 5));
  EXPECT_EQ(canvas.Values(), (std::set<BYTE>{0, 9}));
}

TEST_F(DeviceContextText, TextOnTrueColourTargetsUsesTheExactColour) {
  for (int bpp : {24, 32}) {
    Canvas canvas(60, 20, bpp, 0xFF);
    DeviceContext dc(canvas.Target());
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0x12, 0x34, 0x56));
    ASSERT_TRUE(dc.TextOut(2, 2, "W", 1));
    int lit = 0;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 60; ++x) {
        const BYTE* p = canvas.Row(y) + x * (bpp / 8);
        if (p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF) continue;
        ++lit;
        EXPECT_EQ(p[0], 0x56);
        EXPECT_EQ(p[1], 0x34);
        EXPECT_EQ(p[2], 0x12);
      }
    EXPECT_GT(lit, 0) << bpp;
    EXPECT_TRUE(canvas.GuardsIntact());
  }
}

TEST_F(DeviceContextText, DrawTextCentresAndStartsWrappedTextAtTheTop) {
  Canvas centred(200, 60, 8, 9), placed(200, 60, 8, 9);
  DeviceContext a(centred.Target(), table_.data(), 256), b(placed.Target(), table_.data(), 256);
  for (DeviceContext* dc : {&a, &b}) {
    dc->SelectObject(&small_);
    dc->SetBkMode(TRANSPARENT);
  }
  RECT extent{0, 0, 1000, 1000};
  const int lineHeight = a.DrawText("Sunflowers", -1, &extent, DT_CALCRECT);
  EXPECT_GT(lineHeight, 0);
  EXPECT_EQ(extent.bottom, lineHeight);
  const int width = extent.right;

  // Wrapped and centred: DT_VCENTER has no effect, the line sits at the top, centred.
  RECT box{20, 10, 180, 50};
  a.DrawText("Sunflowers", -1, &box, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
  b.TextOut(20 + (160 - width) / 2, 10, "Sunflowers", -1);
  EXPECT_TRUE(centred.SameAs(placed));

  // On a single line DT_VCENTER centres vertically.
  Canvas single(200, 60, 8, 9), expected(200, 60, 8, 9);
  DeviceContext c(single.Target(), table_.data(), 256), d(expected.Target(), table_.data(), 256);
  for (DeviceContext* dc : {&c, &d}) {
    dc->SelectObject(&small_);
    dc->SetBkMode(TRANSPARENT);
  }
  c.DrawText("Sunflowers", -1, &box, DT_VCENTER | DT_SINGLELINE);
  d.TextOut(20, 10 + (40 - lineHeight) / 2, "Sunflowers", -1);
  EXPECT_TRUE(single.SameAs(expected));
}

TEST_F(DeviceContextText, WordBreakAndLineBreaksMakeSeparateLines) {
  DeviceContext measure;
  measure.SelectObject(&small_);
  RECT word{0, 0, 1000, 1000};
  const int lineHeight = measure.DrawText("Water", -1, &word, DT_CALCRECT);
  const int wordWidth = word.right;

  RECT wrapped{0, 0, wordWidth + 4, 1000};
  EXPECT_EQ(measure.DrawText("Water Lilies", -1, &wrapped, DT_CALCRECT | DT_WORDBREAK), 2 * lineHeight);
  RECT unwrapped{0, 0, wordWidth + 4, 1000};
  EXPECT_EQ(measure.DrawText("Water Lilies", -1, &unwrapped, DT_CALCRECT), lineHeight);
  EXPECT_GT(unwrapped.right, wordWidth + 4);
  RECT broken{0, 0, 1000, 1000};
  EXPECT_EQ(measure.DrawText("Help\r\nSection\nTwo\rThree", -1, &broken, DT_CALCRECT), 4 * lineHeight);
  RECT longWord{0, 0, 3, 1000};  // narrower than any word: one word per line, none lost
  EXPECT_EQ(measure.DrawText("a bb ccc", -1, &longWord, DT_CALCRECT | DT_WORDBREAK), 3 * lineHeight);

  Canvas canvas(200, 80, 8, 9);
  DeviceContext dc(canvas.Target(), table_.data(), 256);
  dc.SelectObject(&small_);
  dc.SetBkMode(TRANSPARENT);
  RECT box{5, 5, 5 + wordWidth + 4, 75};
  EXPECT_EQ(dc.DrawText("Water Lilies", -1, &box, DT_WORDBREAK), 2 * lineHeight);
  const auto [first, last] = canvas.RowsHolding(0);
  EXPECT_GE(first, 5);
  EXPECT_GE(last, 5 + lineHeight);   // the second word is on the second line
  EXPECT_LT(last, 5 + 2 * lineHeight);
}

TEST_F(DeviceContextText, MsSansSerifIsTheHostSansSerifFace) {
  const Font none(-12, FW_NORMAL, false, VARIABLE_PITCH | FF_SWISS, "");
  const Font serif(-12, FW_NORMAL, false, VARIABLE_PITCH | FF_ROMAN, "DejaVu Serif");
  Canvas a(80, 20, 8, 9), b(80, 20, 8, 9), c(80, 20, 8, 9);
  DeviceContext da(a.Target(), table_.data(), 256), db(b.Target(), table_.data(), 256),
      dc(c.Target(), table_.data(), 256);
  da.SelectObject(&large_);
  db.SelectObject(&none);
  dc.SelectObject(&serif);
  for (DeviceContext* d : {&da, &db, &dc}) d->TextOut(1, 1, "Rain, Steam", -1);
  EXPECT_TRUE(a.SameAs(b));
  EXPECT_FALSE(a.SameAs(c));
}

TEST_F(DeviceContextText, PositiveHeightsAreCellHeights) {
  DeviceContext measure;
  for (int cell : {8, 13, 16, 40}) {
    const Font font(cell, FW_NORMAL, false, VARIABLE_PITCH | FF_SWISS, "");
    measure.SelectObject(&font);
    RECT rect{0, 0, 100, 100};
    const int height = measure.DrawText("Ag", -1, &rect, DT_CALCRECT);
    EXPECT_LE(height, cell);
    EXPECT_GE(height, cell - cell / 5 - 1) << cell;
  }
  const Font em(-40, FW_NORMAL, false, VARIABLE_PITCH | FF_SWISS, "");
  measure.SelectObject(&em);
  RECT rect{0, 0, 100, 100};
  EXPECT_GT(measure.DrawText("Ag", -1, &rect, DT_CALCRECT), 40);  // the cell holds more than the em
}

TEST_F(DeviceContextText, DrawTextStaysInsideItsRectangleAndPrefixesAreHidden) {
  Canvas clipped(100, 40, 8, 9);
  DeviceContext dc(clipped.Target(), table_.data(), 256);
  dc.SelectObject(&large_);
  RECT box{10, 10, 30, 16};  // far smaller than the text
  dc.DrawText("Impression, Sunrise", -1, &box, DT_LEFT);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 100; ++x) {
      if (x < 10 || x >= 30 || y < 10 || y >= 16) {
        ASSERT_EQ(clipped.At(x, y), 9) << x << "," << y;
      }
    }

  DeviceContext measure;
  measure.SelectObject(&large_);
  RECT withPrefix{0, 0, 500, 100}, plain{0, 0, 500, 100}, literal{0, 0, 500, 100};
  measure.DrawText("&Apply", -1, &withPrefix, DT_CALCRECT);
  measure.DrawText("Apply", -1, &plain, DT_CALCRECT);
  measure.DrawText("&Apply", -1, &literal, DT_CALCRECT | DT_NOPREFIX);
  EXPECT_EQ(withPrefix.right, plain.right);
  EXPECT_GT(literal.right, plain.right);
}

TEST_F(DeviceContextText, TextAtTheEdgesNeverWritesOutsideTheBuffer) {
  Canvas canvas(30, 12, 8, 9);
  DeviceContext dc(canvas.Target(), table_.data(), 256);
  dc.SelectObject(&large_);
  const std::string longText(5000, 'M');
  for (auto [x, y] : {std::pair{-7, -5}, {25, 8}, {-100000, 0}, {0, 2000000000}, {-2147483647, -2147483647}}) {
    EXPECT_TRUE(dc.TextOut(x, y, longText.c_str(), static_cast<int>(longText.size())));
  }
  RECT huge{-2147483647, -2147483647, 2147483647, 2147483647};
  dc.DrawText("Centre of everything", -1, &huge, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  dc.DrawText(longText.c_str(), -1, &huge, DT_WORDBREAK | DT_CENTER);
  EXPECT_TRUE(canvas.GuardsIntact());
}

TEST(DeviceContextFill, ExtTextOutOpaqueFillsExactlyTheRectangle) {
  std::vector<RGBQUAD> table = SmallTable();
  Canvas canvas(40, 30, 8, 9);
  DeviceContext dc(canvas.Target(), table.data(), 256);
  dc.SetBkMode(TRANSPARENT);  // ETO_OPAQUE fills whatever the mode
  dc.SetBkColor(RGB(10, 0, 0));  // nearest black, index 0
  const RECT frame{5, 7, 25, 19};
  ASSERT_TRUE(dc.ExtTextOut(0, 0, ETO_OPAQUE, &frame, nullptr, 0, nullptr));
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool inside = x >= 5 && x < 25 && y >= 7 && y < 19;
      ASSERT_EQ(canvas.At(x, y), inside ? 0 : 9) << x << "," << y;
    }
  // Rectangles reaching past every edge fill only the buffer; an inverted one fills nothing.
  const RECT oversize{-50, -2147483647, 2147483647, 35};
  EXPECT_TRUE(dc.ExtTextOut(0, 0, ETO_OPAQUE, &oversize, nullptr, 0, nullptr));
  EXPECT_EQ(canvas.Values(), std::set<BYTE>{0});
  dc.SetBkColor(RGB(255, 255, 255));
  const RECT inverted{20, 20, 10, 10};
  dc.ExtTextOut(0, 0, ETO_OPAQUE, &inverted, nullptr, 0, nullptr);
  EXPECT_EQ(canvas.Values(), std::set<BYTE>{0});
  EXPECT_TRUE(canvas.GuardsIntact());
}

TEST(DeviceContextBlit, StretchRepeatsColumnsAndRowsByTheAccumulatorPattern) {
  std::vector<RGBQUAD> table = SmallTable();
  Canvas small(640, 480), large(1024, 768);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) small.Row(y)[x] = static_cast<BYTE>((x * 7 + y * 13) & 0xFF);
  DeviceContext from(small.Target(), table.data(), 256), to(large.Target(), table.data(), 256);
  to.SetStretchBltMode(COLORONCOLOR);
  ASSERT_TRUE(to.StretchBlt(0, 0, 1024, 768, from, 0, 0, 640, 480, SRCCOPY));
  for (int y = 0; y < 768; ++y)
    for (int x = 0; x < 1024; ++x)
      ASSERT_EQ(large.At(x, y), small.At(x * 640 / 1024, y * 480 / 768)) << x << "," << y;
  EXPECT_EQ(large.At(1, 0), small.At(0, 0));
  EXPECT_EQ(large.At(2, 0), small.At(1, 0));

  // And down again: 1024 x 768 into 320 x 400 skips columns and rows.
  Canvas shrunk(320, 400);
  DeviceContext third(shrunk.Target(), table.data(), 256);
  ASSERT_TRUE(third.StretchBlt(0, 0, 320, 400, to, 0, 0, 1024, 768, SRCCOPY));
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 320; ++x)
      ASSERT_EQ(shrunk.At(x, y), large.At(x * 1024 / 320, y * 768 / 400));
  EXPECT_TRUE(large.GuardsIntact());
  EXPECT_TRUE(shrunk.GuardsIntact());
}

TEST(DeviceContextBlit, IndicesAreTranslatedThroughTheirColours) {
  std::vector<RGBQUAD> source(256), target(256);
  for (int i = 0; i < 256; ++i) {
    source[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i / 2), 0};
    target[255 - i] = source[i];  // the same colours in reverse order...
  }
  target[0] = RGBQUAD{1, 1, 1, 0};  // ...except one, which must go to its nearest entry
  Canvas in(16, 16), out(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) in.Row(y)[x] = static_cast<BYTE>(y * 16 + x);
  DeviceContext from(in.Target(), source.data(), 256), to(out.Target(), target.data(), 256);
  ASSERT_TRUE(to.BitBlt(0, 0, 16, 16, from, 0, 0, SRCCOPY));
  for (int i = 0; i < 256; ++i) {
    const int expected = i == 255 ? NearestColorIndex(target.data(), 256, RGB(127, 0, 255)) : 255 - i;
    ASSERT_EQ(out.At(i % 16, i / 16), expected) << i;
  }
  EXPECT_NE(out.At(15, 15), 0);

  // Indexed into true colour and back.
  Canvas rgb(16, 16, 24), back(16, 16);
  DeviceContext trueColour(rgb.Target()), again(back.Target(), source.data(), 256);
  ASSERT_TRUE(trueColour.BitBlt(0, 0, 16, 16, from, 0, 0, SRCCOPY));
  EXPECT_EQ(rgb.Row(0)[3 * 5 + 2], source[5].rgbRed);
  ASSERT_TRUE(again.BitBlt(0, 0, 16, 16, trueColour, 0, 0, SRCCOPY));
  EXPECT_TRUE(back.SameAs(in));
}

TEST(DeviceContextBlit, ClippedToBothBuffers) {
  std::vector<RGBQUAD> table = SmallTable();
  Canvas in(20, 10, 8, 7), out(30, 15, 8, 9);
  DeviceContext from(in.Target(), table.data(), 256), to(out.Target(), table.data(), 256);
  // Negative origin: the target's top-left pixel takes source pixel (10, 10)... which lies
  // outside the 20 x 10 source, so only the rows that exist are copied.
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) in.Row(y)[x] = static_cast<BYTE>(x + 20 * y);
  ASSERT_TRUE(to.BitBlt(-10, -5, 30, 30, from, 0, 0, SRCCOPY));
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 30; ++x) {
      const int sx = x + 10, sy = y + 5;
      const int expected = (sx < 20 && sy < 10) ? sx + 20 * sy : 9;
      ASSERT_EQ(out.At(x, y), expected) << x << "," << y;
    }
  // Source origins off the buffer and extreme sizes and positions.
  EXPECT_TRUE(to.BitBlt(0, 0, 30, 15, from, -15, -8, SRCCOPY));
  EXPECT_EQ(out.At(15, 8), 0);
  EXPECT_TRUE(to.StretchBlt(-2147483647, -2147483647, 2147483647, 2147483647, from, 0, 0, 20, 10, SRCCOPY));
  EXPECT_TRUE(to.StretchBlt(25, 12, 2147483647, 2147483647, from, -2147483647, 5, 2147483647, 1, SRCCOPY));
  EXPECT_TRUE(to.StretchBlt(0, 0, 30, 15, from, 2147483647, 2147483647, 2147483647, 2147483647, SRCCOPY));
  EXPECT_FALSE(to.StretchBlt(0, 0, -30, 15, from, 0, 0, 20, 10, SRCCOPY));
  EXPECT_FALSE(to.BitBlt(0, 0, 30, 15, from, 0, 0, 0x00EE0086));
  EXPECT_TRUE(in.GuardsIntact());
  EXPECT_TRUE(out.GuardsIntact());
}

TEST(DeviceContextBlit, OverlappingCopyWithinOneBuffer) {
  std::vector<RGBQUAD> table = SmallTable();
  Canvas canvas(10, 1);
  for (int x = 0; x < 10; ++x) canvas.Row(0)[x] = static_cast<BYTE>(x);
  DeviceContext dc(canvas.Target(), table.data(), 256);
  ASSERT_TRUE(dc.BitBlt(2, 0, 8, 1, dc, 0, 0, SRCCOPY));
  const BYTE expected[10] = {0, 1, 0, 1, 2, 3, 4, 5, 6, 7};
  for (int x = 0; x < 10; ++x) EXPECT_EQ(canvas.At(x, 0), expected[x]);
}

}  // namespace
}  // namespace ossen
