// The resident program in this process, offscreen: creation rules, initialisation,
// hiding and showing the book, Exit's shut-down and session end.
#include "app/resident/resident_program.h"

#include <chrono>
#include <filesystem>
#include <string>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/resident/tray_icon.h"
#include "book/book_dialog.h"
#include "book/surface_image.h"
#include "book/test/qt_app.h"
#include "platform/base/trace.h"
#include "platform/win32/paths.h"
#include "platform/win32/registry_helpers.h"
#include "schedule/local_time.h"
#include "schedule/slot_store.h"
#include "schedule/test/schedule_test_support.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

using testing::SettableClock;

constexpr std::uintmax_t kFreshScheduleBytes = 19300;

std::string traced;
void CollectTrace(const char* line) { traced += std::string(line) + "\n"; }

std::string RunValue() {
  char text[MAX_PATH] = "";
  RegReadString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, text, sizeof text);
  return text;
}

class ResidentProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::TestApplication();
    std::filesystem::copy_file(OSSEN_STAND_IN_LIBRARY, prefix_.programDir() + "/OssenDLL.rcc");
    traced.clear();
    oldSink_ = SetTraceSink(CollectTrace);
  }
  void TearDown() override { SetTraceSink(oldSink_); }

  // Creation and initialisation as the program runs them, without the event loop.
  void Open(ResidentProgram& resident) {
    ASSERT_EQ(resident.Create(), kCreated);
    resident.Initialise([this](HWND window) {
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

TEST_F(ResidentProgramTest, ProgramFolderTakesSourcePathWithExactlyOneBackslash) {
  const std::string folder = prefix_.root() + "/installed";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(OSSEN_STAND_IN_LIBRARY, folder + "/OssenDLL.rcc");
  const std::string winFolder = WinPathFromHost(folder);
  for (const std::string& written : {winFolder, winFolder + "\\", winFolder + "\\\\"}) {
    ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue, written.c_str()), 1);
    ResidentProgram resident(false);
    ASSERT_EQ(resident.Create(), kCreated) << written;
    EXPECT_EQ(resident.ProgramDir(), winFolder + "\\") << written;
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(folder));
  }
}

TEST_F(ResidentProgramTest, ProgramFolderWithoutSourcePathIsTheStartFolder) {
  ResidentProgram resident(false);
  ASSERT_EQ(resident.Create(), kCreated);
  EXPECT_EQ(resident.ProgramDir(), WinPathFromHost(prefix_.programDir()) + "\\");
  EXPECT_NE(resident.PictureLibrary(), nullptr);
}

TEST_F(ResidentProgramTest, MissingLibraryFailsCreationAfterTheMessageBox) {
  std::filesystem::remove(prefix_.programDir() + "/OssenDLL.rcc");
  ResidentProgram resident(false);
  // The message box is modal: close it from inside its own loop, as a user would.
  QTimer::singleShot(0, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  EXPECT_EQ(resident.Create(), kCreateFailed);
  EXPECT_EQ(resident.PictureLibrary(), nullptr);
  EXPECT_NE(traced.find("message box: Fail to OssenDLL."), std::string::npos) << traced;
}

TEST_F(ResidentProgramTest, InitialisationPublishesLoadsTheScheduleAndStartsTheTimer) {
  ResidentProgram resident(false);
  BookDialog& book = resident.Book();
  Open(resident);
  EXPECT_EQ(publishCount_, 1);
  EXPECT_TRUE(resident.TimerOn());
  EXPECT_TRUE(resident.ScheduleTimerRunning());
  EXPECT_EQ(resident.Slots().Count(), 36);
  EXPECT_EQ(book.Cursor().Page(), kContentPage);
  EXPECT_EQ(book.Cursor().SetStart(), 0);
  EXPECT_EQ(book.Cursor().Row(), 0);
  EXPECT_EQ(book.size(), QSize(kBookWidth, kBookHeight));
  ASSERT_NE(book.BackBuffer(), nullptr);
  EXPECT_EQ(book.BackBuffer()->Width(), kBookWidth);
  EXPECT_EQ(book.BackBuffer()->Height(), kBookHeight);
  resident.Command(kCommandExit);
}

TEST_F(ResidentProgramTest, ClosingSavesAtOnceFreesPicturesAndHides) {
  ResidentProgram resident(false);
  BookDialog& book = resident.Book();
  Open(resident);
  book.ShowBook();
  ASSERT_TRUE(book.isVisible());
  ASSERT_NE(book.BookImage(), nullptr);

  book.close();
  EXPECT_FALSE(book.isVisible());
  EXPECT_EQ(book.BookImage(), nullptr);
  EXPECT_EQ(DataBinSize(), kFreshScheduleBytes);
  EXPECT_TRUE(resident.ScheduleTimerRunning()) << "the clock stops only at Exit";

  // Enter and Escape neither hide the window nor end the program.
  resident.Command(kCommandProperties);
  ASSERT_TRUE(book.isVisible());
  EXPECT_NE(book.BookImage(), nullptr);
  EXPECT_EQ(book.frameGeometry().topLeft(), QPoint(0, 0));
  for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&book, &press);
    EXPECT_TRUE(book.isVisible());
  }
  EXPECT_FALSE(resident.IsShutDown());
  resident.Command(kCommandExit);
}

TEST_F(ResidentProgramTest, HiddenStartStaysHiddenWithoutPicturesUntilProperties) {
  ResidentProgram resident(true);
  BookDialog& book = resident.Book();
  Open(resident);
  EXPECT_FALSE(book.isVisible());
  EXPECT_EQ(book.BookImage(), nullptr);
  // No text field yet either: making one loads the fonts, megabytes a tray icon never needs.
  EXPECT_EQ(book.findChild<QLineEdit*>(), nullptr);
  resident.Command(kCommandProperties);
  EXPECT_TRUE(book.isVisible());
  EXPECT_EQ(book.frameGeometry().topLeft(), QPoint(0, 0));
  // Shown, the book is whole: the first row current with its texts in the fields.
  const auto field = [&book](int id) { return book.findChild<QLineEdit*>(QString::number(id)); };
  ASSERT_NE(field(kFieldName), nullptr);
  EXPECT_EQ(field(kFieldName)->text().toStdString(), resident.Slots().ItemText(0));
  EXPECT_TRUE(field(kFieldDate)->isVisible());
  EXPECT_FALSE(field(kFieldTime)->text().isEmpty());
  book.Command(kCommandCover);
  EXPECT_NE(ImageFromSurface(book.BackBuffer()).pixel(300, 250),
            ImageFromSurface(book.BookImage()).pixel(300, 250));  // the title picture, not bare paper
  resident.Command(kCommandExit);
}

TEST_F(ResidentProgramTest, ExitRunsTheWholeShutDown) {
  ResidentProgram resident(false);
  BookDialog& book = resident.Book();
  Open(resident);
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, "\\ossen.exe -h"), 1);
  resident.Command(kCommandExit);
  EXPECT_TRUE(resident.IsShutDown());
  EXPECT_TRUE(book.IsDestroyed());
  EXPECT_EQ(RunValue(), "");
  EXPECT_EQ(DataBinSize(), kFreshScheduleBytes);
  EXPECT_EQ(resident.PictureLibrary(), nullptr);
  EXPECT_EQ(resident.Slots().Count(), 0);
  EXPECT_FALSE(resident.ScheduleTimerRunning());
  EXPECT_EQ(resident.Tray(), nullptr);
  EXPECT_EQ(book.BackBuffer(), nullptr);
  // Nothing comes back after the window is gone, and a late session end keeps the file.
  resident.OnEndSession();
  EXPECT_EQ(DataBinSize(), kFreshScheduleBytes);
  resident.Command(kCommandProperties);
  EXPECT_FALSE(book.isVisible());
  resident.Command(kCommandExit);
}

TEST_F(ResidentProgramTest, ExitWhileTheAboutBoxIsOpenClosesIt) {
  ResidentProgram resident(false);
  BookDialog& book = resident.Book();
  Open(resident);
  QTimer::singleShot(0, &resident, [&resident] { resident.Command(kCommandExit); });
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
  EXPECT_TRUE(resident.IsShutDown());
}

TEST_F(ResidentProgramTest, ExitFromAnotherProcessWhileTheTrayMenuIsOpenClosesItAndKeepsTheIconUntilItReturns) {
  ResidentProgram resident(false);
  Open(resident);
  TrayIcon* tray = resident.Tray();
  ASSERT_NE(tray, nullptr);
  QTimer::singleShot(50, &resident, [&resident] { resident.Command(kCommandExit); });
  // Guard: a menu left open would otherwise keep this test waiting for ever.
  QTimer menuGuard;
  menuGuard.setSingleShot(true);
  QObject::connect(&menuGuard, &QTimer::timeout, [] {
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  });
  menuGuard.start(5000);
  const auto before = std::chrono::steady_clock::now();
  tray->OnActivated(QSystemTrayIcon::Context);  // runs the menu until the shut-down closes it
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(4)) << "the menu stayed open";
  EXPECT_TRUE(resident.IsShutDown());
  EXPECT_EQ(resident.Tray(), nullptr);
  EXPECT_FALSE(tray->InUse());  // still alive here: it goes with the program
}

TEST_F(ResidentProgramTest, ANewStartBeginsWithSoundAndTimerOnWhateverTheRegistryHolds) {
  RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kTimerValue, 0);
  RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kMuteValue, 1);
  ResidentProgram resident(false);
  Open(resident);
  const auto ticked = [&resident](int box) {
    return resident.Book().findChild<QAbstractButton*>(QString::number(box))->isChecked();
  };
  EXPECT_TRUE(ticked(kBoxSound));
  EXPECT_TRUE(ticked(kBoxTimer));
  EXPECT_TRUE(resident.TimerOn());
  resident.Command(kCommandExit);
}

TEST_F(ResidentProgramTest, SessionEndSavesTheScheduleAndNothingElse) {
  ResidentProgram resident(false);
  Open(resident);
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, "\\ossen.exe -h"), 1);
  resident.OnEndSession();
  EXPECT_EQ(DataBinSize(), kFreshScheduleBytes);
  EXPECT_EQ(RunValue(), "\\ossen.exe -h");
  EXPECT_FALSE(resident.IsShutDown());
  EXPECT_TRUE(resident.ScheduleTimerRunning());
  resident.Command(kCommandExit);
}

TEST_F(ResidentProgramTest, SessionEndingDuringTheStartKeepsTheSavedSchedule) {
  const std::string dataBin = prefix_.programDir() + "/data.bin";
  std::filesystem::copy_file(OSSEN_STAND_IN_LIBRARY, dataBin);  // any bytes stand for a schedule
  const auto saved = std::filesystem::file_size(dataBin);
  ResidentProgram resident(false);
  BookDialog& book = resident.Book();
  ASSERT_EQ(resident.Create(), kCreated);
  resident.OnEndSession();
  book.close();
  EXPECT_EQ(std::filesystem::file_size(dataBin), saved);
}

TEST_F(ResidentProgramTest, SessionEndAndExitCommitADateStillBeingTyped) {
  ResidentProgram resident(false);
  BookDialog& book = resident.Book();
  Open(resident);
  book.ShowBook();
  QApplication::setActiveWindow(&book);
  (void)QTest::qWaitForWindowActive(&book, 2000);
  const SlotRecord* current = resident.Slots().ItemData(book.Cursor().Index());
  ASSERT_NE(current, nullptr);
  const std::int32_t slotId = current->slotId;
  const auto savedYear = [this, slotId] {
    SlotList saved;
    SettableClock clock;
    LoadSlots(saved, prefix_.programDir() + "/data.bin", clock);
    for (int i = 0; i < saved.Count(); ++i) {
      LocalMoment local;
      if (saved.ItemData(i)->slotId == slotId && BreakDownMoment(saved.ItemData(i)->dueTime, local)) return local.year;
    }
    return 0;
  };
  auto* date = book.findChild<QLineEdit*>(QString::number(kFieldDate));
  ASSERT_NE(date, nullptr);
  for (const char* typed : {"7/4/31", "7/4/32"}) {
    date->setFocus();
    date->selectAll();
    QTest::keyClicks(date, QString::fromLatin1(typed));
    ASSERT_TRUE(book.EditInProgress());
    if (typed[5] == '1') {
      resident.OnEndSession();
      EXPECT_EQ(savedYear(), 2031) << "the session end committed and saved the typed date";
    } else {
      resident.Command(kCommandExit);
      EXPECT_EQ(savedYear(), 2032) << "Exit committed and saved the typed date";
    }
  }
}

TEST_F(ResidentProgramTest, AScheduleThatCannotBeReadIsNeverSavedOver) {
  // data.bin is there but is no file that can be read (a link to a folder).
  const std::string elsewhere = prefix_.root() + "/not-a-schedule";
  std::filesystem::create_directories(elsewhere);
  const std::string dataBin = prefix_.programDir() + "/data.bin";
  std::filesystem::create_directory_symlink(elsewhere, dataBin);
  bool reported = false;
  bool saved = true;
  {
    ResidentProgram resident(false);
    resident.OnShutDownSave([&](bool wasSaved) {
      reported = true;
      saved = wasSaved;
    });
    // Shown: the message box says so, then Exit.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&resident] {
      if (QWidget* box = QApplication::activeModalWidget()) {
        box->close();
      } else {
        resident.Command(kCommandExit);
      }
    });
    closer.start(50);
    EXPECT_EQ(resident.Run({}), kCreated);
    EXPECT_TRUE(resident.ScheduleUnreadable());
  }
  EXPECT_NE(traced.find("message box: The schedule data.bin cannot be read."), std::string::npos) << traced;
  EXPECT_TRUE(reported);
  EXPECT_FALSE(saved);
  EXPECT_TRUE(std::filesystem::is_symlink(dataBin)) << "the file was replaced";

  // Hidden: the trace says so; closing the book saves nothing either.
  traced.clear();
  ResidentProgram hidden(true);
  Open(hidden);
  EXPECT_NE(traced.find("cannot be read"), std::string::npos) << traced;
  hidden.SaveSchedule();
  hidden.OnEndSession();
  hidden.Command(kCommandExit);
  EXPECT_TRUE(std::filesystem::is_symlink(dataBin));
}

}  // namespace
}  // namespace ossen
