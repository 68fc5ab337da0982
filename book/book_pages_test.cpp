// The book's pages through the real window offscreen: the opening state, the tabs, the
// pictures and the window palette's band, the help and credit sub-pages.
#include <algorithm>

#include <gtest/gtest.h>

#include "book/surface_image.h"
#include "book/test/open_book.h"
#include "gfx/dib_image.h"
#include "platform/win32/module.h"

namespace ossen {
namespace {

using testing::OpenBook;

// A picture of a module as a surface with its palette.
SurfaceRef<DibImage> LoadPicture(HMODULE module, const char* name) {
  SurfaceRef<DibImage> image = DibImage::New();
  EXPECT_EQ(image->Load(name, kLoadFromResource | kLoadCopyBytes | kLoadDecompress, module, "BIN", nullptr, nullptr),
            0)
      << name;
  return image;
}

// Entries 136..235 of the window's palette against entries 0..99 of the picture's.
void ExpectBandFrom(BookDialog& book, Surface* picture) {
  ASSERT_NE(book.BackBuffer(), nullptr);
  const auto window = book.BackBuffer()->GetPalette()->Entries();
  const auto own = picture->GetPalette()->Entries();
  for (int i = 0; i < kPictureBandCount; ++i) {
    EXPECT_EQ(window[kPictureBandFirst + i], own[i]) << i;
  }
}

// The page background of `page` as the back buffer would hold it, in colours.
QImage PageBackground(BookDialog& book, int page) {
  return ImageFromSurface(book.BookImage())
      .convertToFormat(QImage::Format_RGB32)
      .copy(0, kPageHeight * page, kPageWidth, kPageHeight);
}

// The box around pixels darker than `limit` inside `area`; empty when there are none.
QRect DarkBox(const QImage& image, const QRect& area, int limit = 60) {
  QRect box;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (qGray(image.pixel(x, y)) < limit) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

TEST(BookPagesTest, OpensOnContentWithTheFirstSlotItsPreviewAndItsTitleCentred) {
  OpenBook open;
  BookDialog& book = open.book();
  EXPECT_EQ(book.Cursor().Page(), kContentPage);
  EXPECT_EQ(book.Cursor().SetStart(), 0);
  EXPECT_EQ(book.Cursor().Row(), 0);
  const SlotRecord* first = open.Current();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(open.FieldText(kFieldName), open.Slots().ItemText(0));
  EXPECT_TRUE(open.Field(kFieldDate)->isVisible());
  EXPECT_EQ(open.Field(kFieldName)->geometry(), QRect(34, 132, 130, 14));
  EXPECT_EQ(open.Field(kFieldDate)->geometry(), QRect(164, 132, 72, 14));
  EXPECT_EQ(open.Field(kFieldTime)->geometry(), QRect(230, 132, 60, 14));

  // The preview: the painting scaled into the frame, as the window itself shows it.
  HMODULE library = open.host().PictureLibrary();
  ASSERT_NE(library, nullptr);
  const std::string name = "A" + std::to_string(first->slotId) + "P";
  SurfaceRef<DibImage> preview = LoadPicture(library, name.c_str());
  const QImage painting = ImageFromSurface(preview.get()).convertToFormat(QImage::Format_RGB32);
  const QImage shown = open.Shown();
  for (const QPoint at : {QPoint(0, 0), QPoint(84, 57), QPoint(168, 114), QPoint(30, 100)}) {
    const QPoint source(at.x() * painting.width() / 169, at.y() * painting.height() / 115);
    EXPECT_EQ(shown.pixel(QPoint(369, 93) + at), painting.pixel(source)) << at.x() << "," << at.y();
  }
  ExpectBandFrom(book, preview.get());

  // The title sits in the caption band from its top, centred across it.
  const QRect caption = DarkBox(shown, QRect(369, 218, 169, 32));
  ASSERT_FALSE(caption.isEmpty()) << "no caption drawn";
  EXPECT_LE(caption.top(), 218 + 4);
  EXPECT_NEAR(caption.left() + caption.right(), 369 + 537, 3);
}

TEST(BookPagesTest, TabsShowTheirPagesButtonsAndPictures) {
  OpenBook open;
  BookDialog& book = open.book();
  SurfaceRef<DibImage> title = LoadPicture(nullptr, kTitleResource);
  SurfaceRef<DibImage> credits1 = LoadPicture(nullptr, kCredits1Resource);
  SurfaceRef<DibImage> credits2 = LoadPicture(nullptr, kCredits2Resource);

  open.ClickControl(kCommandCover);
  EXPECT_EQ(book.Cursor().Page(), kCoverPage);
  ExpectBandFrom(book, title.get());
  for (int id : {kFieldName, kFieldDate, kFieldTime, kBoxSaver, kBoxTimer, kCommandPreview, kCommandSet1}) {
    EXPECT_FALSE(open.Control(id)->isVisible()) << id;
  }
  for (int id = kCommandCover; id <= kCommandClose; ++id) EXPECT_TRUE(open.Control(id)->isVisible()) << id;
  // The title picture fills its place with its own colours; outside it the cover shows.
  QImage shown = open.Shown();
  const QImage titleColours = ImageFromSurface(title.get()).convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shown.pixel(11 + 300, 48 + 200), titleColours.pixel(300, 200));
  EXPECT_EQ(shown.pixel(5, 470), PageBackground(book, kCoverPage).pixel(5, 470));

  open.ClickControl(kCommandCredit);
  EXPECT_EQ(book.Cursor().Page(), kCreditPage);
  ExpectBandFrom(book, credits1.get());
  EXPECT_TRUE(open.Control(kCommandCredit1)->isVisible());
  EXPECT_TRUE(open.Control(kCommandCredit2)->isVisible());
  EXPECT_FALSE(open.Control(kCommandHelp1)->isVisible());
  // Credit2 repaints the whole picture, corner to corner.
  open.ClickControl(kCommandCredit2);
  ExpectBandFrom(book, credits2.get());
  shown = open.Shown();
  const QImage second = ImageFromSurface(credits2.get()).convertToFormat(QImage::Format_RGB32);
  for (const QPoint at : {QPoint(0, 10), QPoint(589, 10), QPoint(0, 413), QPoint(589, 413), QPoint(295, 207)}) {
    if (QRect(306, 72, 26, 120).contains(at + QPoint(12, 41))) continue;  // under the sub-page buttons
    EXPECT_EQ(shown.pixel(at + QPoint(12, 41)), second.pixel(at)) << at.x() << "," << at.y();
  }

  // Help: two columns of text on the page, and the Help sub-page buttons.
  open.ClickControl(kCommandHelp);
  EXPECT_EQ(book.Cursor().Page(), kHelpPage);
  EXPECT_TRUE(open.Control(kCommandHelp1)->isVisible());
  EXPECT_FALSE(open.Control(kCommandCredit1)->isVisible());
  shown = open.Shown();
  const QImage firstHelp = shown.copy(50, 60, 525, 350);
  EXPECT_FALSE(DarkBox(shown, QRect(50, 60, 238, 350)).isEmpty());
  EXPECT_FALSE(DarkBox(shown, QRect(352, 60, 223, 350)).isEmpty());
  open.ClickControl(kCommandHelp2);
  EXPECT_NE(open.Shown().copy(50, 60, 525, 350), firstHelp);

  // Back on Content: the preview's colours are the band again, all three fields shown.
  open.ClickControl(kCommandContent);
  EXPECT_EQ(book.Cursor().Page(), kContentPage);
  EXPECT_TRUE(open.Field(kFieldDate)->isVisible());
  EXPECT_TRUE(open.Control(kCommandSet3)->isVisible());
  EXPECT_FALSE(open.Control(kCommandHelp1)->isVisible());
}

TEST(BookPagesTest, CloseTabHidesTheWindowAndSavesTheSchedule) {
  OpenBook open;
  open.ClickControl(kCommandClose);
  QApplication::processEvents();
  EXPECT_FALSE(open.book().isVisible());
  EXPECT_TRUE(std::filesystem::exists(open.prefix().programDir() + "/data.bin"));
  EXPECT_EQ(open.host().Saves(), 1);
  EXPECT_FALSE(open.book().IsDestroyed());
}

TEST(BookPagesTest, AClickOnARowOfAnotherPageDoesNothing) {
  OpenBook open;
  BookDialog& book = open.book();
  for (int tab : {kCommandCover, kCommandHelp, kCommandCredit}) {
    open.ClickControl(tab);
    open.ClickRow(4);
    EXPECT_EQ(book.Cursor().Row(), 0) << tab;
  }
}

}  // namespace
}  // namespace ossen
