// The Content page's rows through the real window offscreen: what a row click, the Set
// buttons and the last slot show.
#include <vector>

#include <gtest/gtest.h>

#include "book/surface_image.h"
#include "book/test/open_book.h"

namespace ossen {
namespace {

using testing::OpenBook;

QImage RowStrip(BookDialog& book, int row) {
  return ImageFromSurface(book.BackBuffer()).convertToFormat(QImage::Format_RGB32).copy(36, 132 + 24 * row, 256, 24);
}

TEST(SlotPageTest, RowsShowTwelveSlotsOfTheSetAndTheSetButtonsTurnThePage) {
  OpenBook open;
  BookDialog& book = open.book();
  const QImage background =
      ImageFromSurface(book.BookImage()).convertToFormat(QImage::Format_RGB32).copy(36, kPageHeight * kContentPage + 132, 256, 24 * 12);
  for (int row = 0; row < 12; ++row) {
    EXPECT_NE(RowStrip(book, row), background.copy(0, 24 * row, 256, 24)) << "row " << row << " has no text";
  }
  // The text keeps its colour whatever picture band the previews bring.
  const QImage firstSet = RowStrip(book, 3);
  open.ClickControl(kCommandSet3);
  EXPECT_EQ(book.Cursor().SetStart(), 24);
  EXPECT_NE(RowStrip(book, 3), firstSet);
  open.ClickControl(kCommandSet1);
  EXPECT_EQ(RowStrip(book, 3), firstSet);
}

TEST(SlotPageTest, ARowClickMakesItsSlotCurrentAndSet2KeepsTheRow) {
  OpenBook open;
  BookDialog& book = open.book();
  const QImage before = open.Shown().copy(369, 93, 169, 115);
  open.ClickRow(5);
  EXPECT_EQ(book.Cursor().Row(), 5);
  EXPECT_EQ(open.FieldText(kFieldName), open.Slots().ItemText(5));
  EXPECT_EQ(open.Field(kFieldDate)->geometry().top(), 132 + 24 * 5);
  EXPECT_NE(open.Shown().copy(369, 93, 169, 115), before) << "the preview did not change";

  open.ClickControl(kCommandSet1 + 1);
  EXPECT_EQ(book.Cursor().Index(), 17);
  EXPECT_EQ(open.FieldText(kFieldName), open.Slots().ItemText(17));

  // The current row again, or a place beside the rows: nothing changes.
  open.ClickRow(5);
  open.ClickAt(QPoint(300, 200));
  open.ClickAt(QPoint(100, 132 + 24 * 12 + 2));
  EXPECT_EQ(book.Cursor().Index(), 17);
}

TEST(SlotPageTest, TheLastSlotHasNoDateOrTimeFieldUntilATabShowsThem) {
  OpenBook open;
  BookDialog& book = open.book();
  open.ClickControl(kCommandSet3);
  open.ClickRow(11);
  ASSERT_EQ(book.Cursor().Index(), kLastSlotIndex);
  EXPECT_TRUE(open.Field(kFieldName)->isVisible());
  EXPECT_FALSE(open.Field(kFieldDate)->isVisible());
  EXPECT_FALSE(open.Field(kFieldTime)->isVisible());

  open.ClickControl(kCommandSet1);
  EXPECT_TRUE(open.Field(kFieldDate)->isVisible());
  open.ClickControl(kCommandSet3);
  EXPECT_FALSE(open.Field(kFieldDate)->isVisible());
  EXPECT_FALSE(open.Field(kFieldTime)->isVisible());

  open.ClickControl(kCommandContent);
  EXPECT_TRUE(open.Field(kFieldDate)->isVisible());
  EXPECT_TRUE(open.Field(kFieldTime)->isVisible());
}

TEST(SlotPageTest, AnEmptyRowClearsPreviewCaptionAndFields) {
  OpenBook open;
  BookDialog& book = open.book();
  open.Slots().DeleteItem(35);  // 35 slots: row 12 of set 3 is empty
  open.ClickControl(kCommandSet3);
  const QImage pageFrame = ImageFromSurface(book.BookImage())
                               .convertToFormat(QImage::Format_RGB32)
                               .copy(369, kPageHeight * kContentPage + 93, 169, 138);
  open.ClickRow(11);
  EXPECT_EQ(book.Cursor().Row(), 11);
  EXPECT_EQ(open.Current(), nullptr);
  EXPECT_EQ(open.FieldText(kFieldName), "");
  EXPECT_EQ(open.FieldText(kFieldDate), "");
  EXPECT_EQ(open.Shown().copy(369, 93, 169, 138), pageFrame) << "the frame shows the page";
}

TEST(SlotPageTest, ApplyAndPreviewAskForTheCurrentSlot) {
  OpenBook open;
  open.ClickControl(kCommandSet1 + 1);
  open.ClickRow(4);
  open.ClickControl(kCommandApply);
  open.ClickControl(kCommandPreview);
  EXPECT_EQ(open.host().Applied(), std::vector<int>{16});
  EXPECT_EQ(open.host().Previewed(), std::vector<int>{16});
}

TEST(SlotPageTest, TheFieldsFollowTheCurrentSlotAlsoWhileThePicturesAreFreed) {
  OpenBook open;
  BookDialog& book = open.book();
  book.close();  // hidden: pictures freed
  book.MakeSlotCurrent(2);
  book.Command(kCommandSet1 + 1);  // the rows of set 2, drawn without pictures
  EXPECT_EQ(open.FieldText(kFieldName), open.Slots().ItemText(14));
  book.MakeSlotCurrent(15);
  EXPECT_EQ(open.FieldText(kFieldName), open.Slots().ItemText(15));
  book.ShowBook();
  EXPECT_EQ(book.Cursor().Index(), 15);
  EXPECT_EQ(open.FieldText(kFieldName), open.Slots().ItemText(15));
}

}  // namespace
}  // namespace ossen
