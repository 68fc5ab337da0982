// The book window's own shell in this process, offscreen: its painting and its small
// system menu.
#include "book/book_dialog.h"

#include <memory>
#include <string>

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

#include "book/program_strings.h"
#include "book/surface_image.h"
#include "book/test/open_book.h"
#include "platform/base/trace.h"

namespace ossen {
namespace {

std::string traced;
void CollectTrace(const char* line) { traced += std::string(line) + "\n"; }

class BookDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::TestApplication();
    traced.clear();
    oldSink_ = SetTraceSink(CollectTrace);
  }
  void TearDown() override { SetTraceSink(oldSink_); }

  TraceSink oldSink_ = nullptr;
};

TEST_F(BookDialogTest, PaintShowsTheBackBufferThroughItsColourTable) {
  testing::OpenBook open;
  BookDialog& book = open.book();
  book.ShowBook();
  const QImage expected = ImageFromSurface(book.BackBuffer()).convertToFormat(QImage::Format_RGB32);
  const QImage shown = book.grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(expected.isNull());
  ASSERT_EQ(shown.size(), QSize(kBookWidth, kBookHeight));
  for (const QPoint point : {QPoint(0, 0), QPoint(320, 240), QPoint(639, 479), QPoint(100, 400)}) {
    EXPECT_EQ(shown.pixel(point), expected.pixel(point)) << point.x() << "," << point.y();
  }
  EXPECT_NE(traced.find("first paint"), std::string::npos);

  // What is shown is the Content page, the second of the four stacked in "BOOK" (below
  // its rows and controls).
  ASSERT_NE(book.BookImage(), nullptr);
  ASSERT_EQ(book.BookImage()->Height(), 4 * kBookHeight);
  const QImage pages = ImageFromSurface(book.BookImage()).convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shown.copy(0, 450, kBookWidth, 30), pages.copy(0, kContentPage * kBookHeight + 450, kBookWidth, 30));
}

TEST_F(BookDialogTest, SystemMenuOffersAboutOnlyWhenItsStringExists) {
  testing::OpenBook open;
  std::unique_ptr<QMenu> menu = open.book().BuildSystemMenu();
  QStringList texts;
  for (const QAction* action : menu->actions()) {
    if (!action->isSeparator()) texts << action->text();
  }
  const std::string about = ProgramString(kStringAbout);
  QStringList expected = {QStringLiteral("Minimize"), QStringLiteral("Close")};
  if (!about.empty()) expected << QString::fromLatin1(about.c_str());
  EXPECT_EQ(texts, expected);
}

}  // namespace
}  // namespace ossen
