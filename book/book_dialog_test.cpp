// The book window's shell in this process, offscreen: creation rules, initialisation,
// hiding and showing, Exit's shut-down, session end and the small system menu.
#include "book/book_dialog.h"

#include <chrono>
#include <filesystem>
#include <string>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

#include "book/program_strings.h"
#include "book/surface_image.h"
#include "book/tray_icon.h"
#include "book/test/qt_app.h"
#include "platform/win32/paths.h"
#include "platform/win32/registry_helpers.h"
#include "test_support/temp_prefix.h"
#include "platform/base/trace.h"

namespace ossen {
namespace {

constexpr std::uintmax_t kFreshScheduleBytes = 19300;

std::string traced;
void CollectTrace(const char* line) { traced += std::string(line) + "\n"; }

std::string RunValue() {
  char text[MAX_PATH] = "";
  RegReadString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, text, sizeof text);
  return text;
}

class BookDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::TestApplication();
    std::filesystem::copy_file(OSSEN_STAND_IN_LIBRARY, prefix_.programDir() + "/OssenDLL.rcc");
    traced.clear();
    oldSink_ = SetTraceSink(CollectTrace);
  }
  void TearDown() override { SetTraceSink(oldSink_); }

  // Creation and initialisation as the program runs them, without the modal loop.
  void Open(BookDialog& book) {
    ASSERT_EQ(book.OnCreate(), 0);
    book.InitBookWindow([this](HWND window) {
      ++publishCount_;
      published_ = window;
    });
  }

  std::uintmax_t DataBinSize() const {
    std::error_code error;
    const auto size = std::filesystem::file_size(prefix_.programDir() + "/data.bin", error);
    return error ? 0 : size;
  }

  ossen::testing::TempPrefix prefix_;
  TraceSink oldSink_ = nullptr;
  int publishCount_ = 0;
  HWND published_ = 0;
};

TEST_F(BookDialogTest, ProgramFolderTakesSourcePathWithExactlyOneBackslash) {
  const std::string folder = prefix_.root() + "/installed";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(OSSEN_STAND_IN_LIBRARY, folder + "/OssenDLL.rcc");
  const std::string winFolder = WinPathFromHost(folder);
  for (const std::string& written : {winFolder, winFolder + "\\", winFolder + "\\\\"}) {
    ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue, written.c_str()), 1);
    BookDialog book(nullptr, false);
    ASSERT_EQ(book.OnCreate(), 0) << written;
    EXPECT_EQ(book.programDir, winFolder + "\\") << written;
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(folder));
  }
}

TEST_F(BookDialogTest, ProgramFolderWithoutSourcePathIsTheStartFolder) {
  BookDialog book(nullptr, false);
  ASSERT_EQ(book.OnCreate(), 0);
  EXPECT_EQ(book.programDir, WinPathFromHost(prefix_.programDir()) + "\\");
  EXPECT_NE(book.resourceLibrary, nullptr);
}

TEST_F(BookDialogTest, MissingLibraryFailsCreationAfterTheMessageBox) {
  std::filesystem::remove(prefix_.programDir() + "/OssenDLL.rcc");
  BookDialog book(nullptr, false);
  // The message box is modal: close it from inside its own loop, as a user would.
  QTimer::singleShot(0, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  EXPECT_EQ(book.OnCreate(), -1);
  EXPECT_EQ(book.resourceLibrary, nullptr);
  EXPECT_NE(traced.find("message box: Fail to OssenDLL."), std::string::npos) << traced;
}

TEST_F(BookDialogTest, InitialisationPublishesLoadsTheScheduleAndStartsTheTimer) {
  BookDialog book(nullptr, false);
  Open(book);
  EXPECT_EQ(publishCount_, 1);
  EXPECT_EQ(book.timerOn, 1);
  EXPECT_TRUE(book.ScheduleTimerRunning());
  EXPECT_EQ(book.Slots().Count(), 36);
  EXPECT_EQ(book.currentPage, kContentPage);
  EXPECT_EQ(book.pageStart, 0);
  EXPECT_EQ(book.pageSlot, 0);
  EXPECT_EQ(book.size(), QSize(kBookWidth, kBookHeight));
  ASSERT_NE(book.BackBuffer(), nullptr);
  EXPECT_EQ(book.BackBuffer()->Width(), kBookWidth);
  EXPECT_EQ(book.BackBuffer()->Height(), kBookHeight);
  book.Command(kCommandExit);
}

TEST_F(BookDialogTest, ClosingSavesAtOnceFreesPicturesAndHides) {
  BookDialog book(nullptr, false);
  Open(book);
  book.ShowBook();
  ASSERT_TRUE(book.isVisible());
  ASSERT_NE(book.BookImage(), nullptr);

  book.close();
  EXPECT_FALSE(book.isVisible());
  EXPECT_EQ(book.BookImage(), nullptr);
  EXPECT_EQ(DataBinSize(), kFreshScheduleBytes);
  EXPECT_TRUE(book.ScheduleTimerRunning()) << "the clock stops only at Exit";

  // Enter and Escape neither hide the window nor end the program.
  book.Command(kCommandProperties);
  ASSERT_TRUE(book.isVisible());
  EXPECT_NE(book.BookImage(), nullptr);
  EXPECT_EQ(book.frameGeometry().topLeft(), QPoint(0, 0));
  for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&book, &press);
    EXPECT_TRUE(book.isVisible());
  }
  EXPECT_FALSE(book.IsDestroyed());
  book.Command(kCommandExit);
}

TEST_F(BookDialogTest, HiddenStartStaysHiddenWithoutPicturesUntilProperties) {
  BookDialog book(nullptr, true);
  Open(book);
  EXPECT_FALSE(book.isVisible());
  EXPECT_EQ(book.BookImage(), nullptr);
  // No text field yet either: making one loads the fonts, megabytes a tray icon never needs.
  EXPECT_EQ(book.findChild<QLineEdit*>(), nullptr);
  book.Command(kCommandProperties);
  EXPECT_TRUE(book.isVisible());
  EXPECT_EQ(book.frameGeometry().topLeft(), QPoint(0, 0));
  // Shown, the book is whole: the first row current with its texts in the fields.
  const auto field = [&book](int id) { return book.findChild<QLineEdit*>(QString::number(id)); };
  ASSERT_NE(field(kFieldName), nullptr);
  EXPECT_EQ(field(kFieldName)->text().toStdString(), book.Slots().ItemText(0));
  EXPECT_TRUE(field(kFieldDate)->isVisible());
  EXPECT_FALSE(field(kFieldTime)->text().isEmpty());
  book.Command(kCommandCover);
  EXPECT_NE(ImageFromSurface(book.BackBuffer()).pixel(300, 250),
            ImageFromSurface(book.BookImage()).pixel(300, 250));  // the title picture, not bare paper
  book.Command(kCommandExit);
}

TEST_F(BookDialogTest, ExitRunsTheWholeShutDown) {
  BookDialog book(nullptr, false);
  Open(book);
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, "\\ossen.exe -h"), 1);
  book.Command(kCommandExit);
  EXPECT_TRUE(book.IsDestroyed());
  EXPECT_EQ(RunValue(), "");
  EXPECT_EQ(DataBinSize(), kFreshScheduleBytes);
  EXPECT_EQ(book.resourceLibrary, nullptr);
  EXPECT_EQ(book.Slots().Count(), 0);
  EXPECT_FALSE(book.ScheduleTimerRunning());
  EXPECT_EQ(book.Tray(), nullptr);
  EXPECT_EQ(book.BackBuffer(), nullptr);
  // Nothing comes back after the window is gone, and a late session end keeps the file.
  book.OnEndSession();
  EXPECT_EQ(DataBinSize(), kFreshScheduleBytes);
  book.Command(kCommandProperties);
  EXPECT_FALSE(book.isVisible());
  book.Command(kCommandExit);
}

TEST_F(BookDialogTest, ExitWhileTheAboutBoxIsOpenClosesIt) {
  BookDialog book(nullptr, false);
  Open(book);
  QTimer::singleShot(0, &book, [&book] { book.Command(kCommandExit); });
  // Guard: a box left open would otherwise keep this test waiting for ever.
  QTimer exitGuard;
  exitGuard.setSingleShot(true);
  QObject::connect(&exitGuard, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  exitGuard.start(5000);
  const auto before = std::chrono::steady_clock::now();
  book.OnSysCommand(kSysCommandAbout | 0x3);  // the low four bits do not matter
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(4));
  EXPECT_TRUE(book.IsDestroyed());
}

TEST_F(BookDialogTest, SessionEndSavesTheScheduleAndNothingElse) {
  BookDialog book(nullptr, false);
  Open(book);
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, "\\ossen.exe -h"), 1);
  book.OnEndSession();
  EXPECT_EQ(DataBinSize(), kFreshScheduleBytes);
  EXPECT_EQ(RunValue(), "\\ossen.exe -h");
  EXPECT_FALSE(book.IsDestroyed());
  EXPECT_TRUE(book.ScheduleTimerRunning());
  book.Command(kCommandExit);
}

TEST_F(BookDialogTest, SessionEndingDuringTheStartKeepsTheSavedSchedule) {
  const std::string dataBin = prefix_.programDir() + "/data.bin";
  std::filesystem::copy_file(OSSEN_STAND_IN_LIBRARY, dataBin);  // any bytes stand for a schedule
  const auto saved = std::filesystem::file_size(dataBin);
  BookDialog book(nullptr, false);
  ASSERT_EQ(book.OnCreate(), 0);
  book.OnEndSession();
  book.close();
  EXPECT_EQ(std::filesystem::file_size(dataBin), saved);
}

TEST_F(BookDialogTest, PaintShowsTheBackBufferThroughItsColourTable) {
  BookDialog book(nullptr, false);
  Open(book);
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
  book.Command(kCommandExit);
}

TEST_F(BookDialogTest, TrayMenuCarriesPropertiesAndExitAndADoubleClickShows) {
  int shown = 0;
  TrayIcon tray([](int) {}, [&shown] { ++shown; });
  std::unique_ptr<QMenu> menu = tray.BuildMenu();
  const QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), 3);
  EXPECT_EQ(actions[0]->data().toInt(), kCommandProperties);
  EXPECT_TRUE(actions[1]->isSeparator());
  EXPECT_EQ(actions[2]->data().toInt(), kCommandExit);
  tray.OnActivated(QSystemTrayIcon::DoubleClick);
  EXPECT_EQ(shown, 1);
  tray.OnActivated(QSystemTrayIcon::MiddleClick);
  EXPECT_EQ(shown, 1);
}

TEST_F(BookDialogTest, SystemMenuOffersAboutOnlyWhenItsStringExists) {
  BookDialog book(nullptr, false);
  std::unique_ptr<QMenu> menu = book.BuildSystemMenu();
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
