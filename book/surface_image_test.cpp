// The window shows 8-bit surfaces through their colour tables; rows must come out top-down
// whichever way the surface stores them.
#include "book/surface_image.h"

#include <array>

#include <QPainter>

#include <gtest/gtest.h>

#include "gfx/dib_image.h"
#include "gfx/dib_section_surface.h"
#include "image/packed_dib.h"

namespace ossen {
namespace {

PaletteRef TwoColourPalette() {
  PaletteRef palette = Palette::New();
  palette->Create(256);
  const std::array<PaletteEntry, 2> entries = {PaletteEntry{10, 20, 30, 0}, PaletteEntry{200, 100, 50, 0}};
  palette->SetEntries(entries, 0, 2);
  return palette;
}

template <class SurfaceType>
void ExpectTopLeftPixelColoured(SurfaceRef<SurfaceType> surface) {
  ASSERT_EQ(surface->CreateBlank(3, 2, kFormatIndexed8), 0);
  PaletteRef palette = TwoColourPalette();
  ASSERT_EQ(surface->SetPalette(palette.get()), 0);
  // A blank image's pixels are as allocated: set every one.
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) ASSERT_EQ(surface->SetPixel(x, y, 0), 0);
  }
  ASSERT_EQ(surface->SetPixel(0, 0, 1), 0);

  const QImage image = ImageFromSurface(surface.get());
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(3, 2));
  EXPECT_EQ(image.pixel(0, 0), qRgb(200, 100, 50));
  EXPECT_EQ(image.pixel(0, 1), qRgb(10, 20, 30));
  EXPECT_EQ(image.pixel(2, 1), qRgb(10, 20, 30));
}

TEST(SurfaceImage, TopDownSectionKeepsItsRowOrder) { ExpectTopLeftPixelColoured(DibSectionSurface::New()); }

TEST(SurfaceImage, BottomUpImageIsTurnedTheRightWayUp) { ExpectTopLeftPixelColoured(DibImage::New()); }

TEST(SurfaceImage, RefusesWhatItCannotShow) {
  EXPECT_TRUE(ImageFromSurface(nullptr).isNull());
  auto empty = DibSectionSurface::New();
  EXPECT_TRUE(ImageFromSurface(empty.get()).isNull());
  auto trueColour = DibSectionSurface::New();
  ASSERT_EQ(trueColour->CreateBlank(2, 2, kFormatRgb888), 0);
  EXPECT_TRUE(ImageFromSurface(trueColour.get()).isNull());
}

TEST(SurfaceImage, MissingPaletteShowsBlackNotGarbage) {
  auto surface = DibSectionSurface::New();
  ASSERT_EQ(surface->CreateBlank(2, 2, kFormatIndexed8), 0);
  surface->SetPixel(1, 1, 255);
  const QImage image = ImageFromSurface(surface.get());
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 0));
}

// Drawing in place shows exactly what the copy shows, part by part, either row order.
template <class SurfaceType>
void ExpectDrawnAsCopied(SurfaceRef<SurfaceType> surface) {
  ASSERT_EQ(surface->CreateBlank(5, 4, kFormatIndexed8), 0);
  PaletteRef palette = TwoColourPalette();
  ASSERT_EQ(surface->SetPalette(palette.get()), 0);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) ASSERT_EQ(surface->SetPixel(x, y, (x + 2 * y) % 3 == 0 ? 1 : 0), 0);
  }
  const QImage copy = ImageFromSurface(surface.get()).convertToFormat(QImage::Format_RGB32);
  for (const QRect part : {QRect(0, 0, 5, 4), QRect(1, 2, 3, 2)}) {
    QImage drawn(5, 4, QImage::Format_RGB32);
    drawn.fill(Qt::white);
    QImage expected = drawn;
    {
      QPainter painter(&drawn);
      ASSERT_TRUE(DrawSurface(painter, part.topLeft(), surface.get(), part));
      QPainter reference(&expected);
      reference.drawImage(part.topLeft(), copy, part);
    }
    EXPECT_EQ(drawn, expected);
  }
}

TEST(SurfaceImage, DrawingInPlaceMatchesTheCopy) {
  ExpectDrawnAsCopied(DibSectionSurface::New());
  ExpectDrawnAsCopied(DibImage::New());
  QImage target(2, 2, QImage::Format_RGB32);
  QPainter painter(&target);
  EXPECT_FALSE(DrawSurface(painter, QPoint(), nullptr, QRect(0, 0, 2, 2)));
  auto trueColour = DibSectionSurface::New();
  ASSERT_EQ(trueColour->CreateBlank(2, 2, kFormatRgb888), 0);
  EXPECT_FALSE(DrawSurface(painter, QPoint(), trueColour.get(), QRect(0, 0, 2, 2)));
}

}  // namespace
}  // namespace ossen
