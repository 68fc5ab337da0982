// The resident program's schedule in this process, offscreen, on the real picture library:
// timer 1 asks about an overdue slot in the application's Yes/No box over the book, the
// book's Apply and Preview commands, and Exit while the question is open.
#include "app/resident/resident_program.h"

#include <filesystem>
#include <string>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "book/book_dialog.h"
#include "book/test/qt_app.h"
#include "platform/base/trace.h"
#include "platform/win32/desktop_settings.h"
#include "platform/win32/paths.h"
#include "platform/win32/profile.h"
#include "schedule/local_time.h"
#include "schedule/slot_store.h"
#include "schedule/test/schedule_test_support.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

using testing::MakeRecord;
using testing::ScopedTimeZone;
using testing::SettableClock;

std::uint32_t Local(int year, int month, int day, int hour = 0) {
  std::uint32_t due = 0;
  EXPECT_TRUE(ComposeDueTime(LocalMoment{year, month, day, hour, 0, 0}, due));
  return due;
}

// The message box on show: a modal one, or the question, which is modal to nothing.
QMessageBox* ShownBox() {
  if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) return box;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(window);
    if (box != nullptr && box->isVisible()) return box;
  }
  return nullptr;
}

// Presses the button of the open message box once it is there (the box runs its own loop).
void AnswerTheBox(QMessageBox::StandardButton button, std::string* text) {
  QTimer::singleShot(50, [button, text] {
    QMessageBox* box = ShownBox();
    if (box == nullptr) return AnswerTheBox(button, text);
    if (text != nullptr) *text = box->text().toStdString() + " | " + box->windowTitle().toStdString();
    if (QAbstractButton* pressed = box->button(button)) {
      pressed->click();
    } else {
      box->close();
    }
  });
}

class ResidentScheduleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::TestApplication();
    std::filesystem::copy_file(OSSEN_PICTURE_LIBRARY_FILE, prefix_.programDir() + "/OssenDLL.rcc");
    SetScreenSizeOverride(800, 600);
    // A schedule of two slots: painting 4 overdue by three days, painting 9 next year.
    SlotList schedule;
    InsertSlot(schedule, MakeRecord(4, Local(2027, 6, 1, 10), "Overdue"));
    InsertSlot(schedule, MakeRecord(9, Local(2028, 1, 1), "Later"));
    ASSERT_TRUE(SaveSlots(schedule, prefix_.programDir() + "/data.bin"));
    clock_.Set(Local(2027, 6, 4, 10));
  }
  void TearDown() override { SetScreenSizeOverride(0, 0); }

  void Open(ResidentProgram& resident) {
    ASSERT_EQ(resident.Create(), kCreated);
    resident.Initialise({});
    resident.UseClock(clock_);
  }
  std::string Wallpaper() const { return prefix_.programDir() + "/ossen.bmp"; }
  std::uint32_t SavedDueTimeOf(std::int32_t slotId) {
    SlotList saved;
    LoadSlots(saved, prefix_.programDir() + "/data.bin", clock_);
    for (int i = 0; i < saved.Count(); ++i)
      if (saved.ItemData(i)->slotId == slotId) return saved.ItemData(i)->dueTime;
    return 0;
  }

  ScopedTimeZone zone_{"Europe/Berlin"};
  testing::TempPrefix prefix_;
  SettableClock clock_;
};

TEST_F(ResidentScheduleTest, TimerAsksAboutAnOverdueSlotAndYesAppliesIt) {
  ResidentProgram resident(true);
  Open(resident);
  std::string shown;
  AnswerTheBox(QMessageBox::Yes, &shown);
  resident.OnScheduleTimer();
  EXPECT_EQ(shown, "Do you want to apply the settings now? | Vintra Ossens Screen Savers");
  EXPECT_TRUE(std::filesystem::exists(Wallpaper()));
  EXPECT_EQ(resident.Book().Cursor().Index(), 1) << "the moved slot is the current one";
  resident.Command(kCommandExit);
  EXPECT_EQ(SavedDueTimeOf(4), Local(2028, 6, 1, 10));
}

TEST_F(ResidentScheduleTest, NoLeavesTheDesktopAndTimerOffAsksNothing) {
  ResidentProgram resident(true);
  Open(resident);
  resident.SetTimerOn(false);
  resident.OnScheduleTimer();  // a box here would never be answered: the test would hang
  resident.SetTimerOn(true);
  AnswerTheBox(QMessageBox::No, nullptr);
  resident.OnScheduleTimer();
  EXPECT_FALSE(std::filesystem::exists(Wallpaper()));
  EXPECT_EQ(resident.Slots().ItemData(1)->dueTime, Local(2028, 6, 1, 10));
  resident.Command(kCommandExit);
}

TEST_F(ResidentScheduleTest, ExitWhileTheQuestionIsOpenSavesTheScheduleAndAppliesNothing) {
  ResidentProgram resident(true);
  Open(resident);
  QTimer::singleShot(100, &resident, [&resident] { resident.Command(kCommandExit); });
  QTimer guard;  // a box Exit failed to close would hang the test
  guard.start(5000);
  QObject::connect(&guard, &QTimer::timeout, [] {
    if (QWidget* box = ShownBox()) box->close();
  });
  resident.OnScheduleTimer();
  EXPECT_TRUE(resident.IsShutDown());
  EXPECT_EQ(resident.Slots().Count(), 0);
  EXPECT_FALSE(std::filesystem::exists(Wallpaper()));
  EXPECT_EQ(SavedDueTimeOf(4), Local(2027, 6, 1, 10)) << "saved as it stood; asked again at the next start";
  EXPECT_EQ(SavedDueTimeOf(9), Local(2028, 1, 1));
  resident.OnScheduleTimer();  // a tick after the shut-down finds nothing
}

// Buttons in GNOME's order (No before Yes), as Qt lays them out on that desktop.
class GnomeButtonOrder : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returned) const override {
    if (hint == SH_DialogButtonLayout) return QDialogButtonBox::GnomeLayout;
    return QProxyStyle::styleHint(hint, option, widget, returned);
  }
};

TEST_F(ResidentScheduleTest, WhileTheQuestionIsOpenTheBookAndTheTrayCommandsWorkAndEnterAnswersYes) {
  QApplication::setStyle(new GnomeButtonOrder);
  ResidentProgram resident(true);
  Open(resident);
  BookDialog& book = resident.Book();
  bool checked = false;
  QTimer::singleShot(50, [&] {
    QMessageBox* box = ShownBox();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the question blocks no window";
    resident.Command(product::kCommandProperties);  // the tray's Properties
    EXPECT_TRUE(book.isVisible());
    auto* set3 = book.findChild<QWidget*>(QString::number(kCommandSet3));
    ASSERT_NE(set3, nullptr);
    QTest::mouseClick(set3, Qt::LeftButton, Qt::NoModifier, QPoint(set3->width() / 2, set3->height() / 2));
    EXPECT_EQ(book.Cursor().SetStart(), 24) << "the ribbon turned the set";
    EXPECT_FALSE(resident.ClockIdle()) << "the clock waits for the answer";
    book.close();  // the Close tab: the book hides and saves, the question stays
    EXPECT_FALSE(book.isVisible());
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(std::filesystem::exists(prefix_.programDir() + "/data.bin"));
    resident.Command(product::kCommandProperties);
    EXPECT_TRUE(book.isVisible());
    // Enter answers Yes whatever the button order.
    EXPECT_EQ(box->focusWidget(), box->button(QMessageBox::Yes));
    QTest::keyClick(box->focusWidget(), Qt::Key_Return);
    checked = true;
  });
  resident.OnScheduleTimer();
  QApplication::setStyle(QStringLiteral("Fusion"));
  EXPECT_TRUE(checked);
  EXPECT_TRUE(std::filesystem::exists(Wallpaper())) << "Enter answered Yes";
  EXPECT_EQ(resident.Slots().ItemData(1)->dueTime, Local(2028, 6, 1, 10));
  EXPECT_EQ(book.Cursor().Index(), 1) << "the clock found its slot again and made it current";

  // Escape answers No.
  book.FocusContentButton();
  clock_.Set(Local(2028, 6, 3, 10));
  QTimer::singleShot(50, [] {
    if (QMessageBox* box = ShownBox()) QTest::keyClick(box->focusWidget(), Qt::Key_Escape);
  });
  std::filesystem::remove(Wallpaper());
  resident.OnScheduleTimer();
  EXPECT_FALSE(std::filesystem::exists(Wallpaper()));
  resident.Command(kCommandExit);
}

TEST_F(ResidentScheduleTest, ASlotDueBetweenTwoTicksArrivesUnaskedUnlessTimerWasOffMeanwhile) {
  ResidentProgram resident(true);
  Open(resident);
  AnswerTheBox(QMessageBox::No, nullptr);
  resident.OnScheduleTimer();  // the overdue slot 4 is asked about and declined
  const std::uint32_t due = Local(2027, 6, 5, 10);
  resident.Slots().ItemData(0)->dueTime = due;  // slot 9 falls due on 5 June
  for (const bool switchedOff : {false, true}) {
    std::filesystem::remove(Wallpaper());
    clock_.Set(due - 1);
    resident.OnScheduleTimer();
    if (switchedOff) {
      resident.SetTimerOn(false);
      resident.SetTimerOn(true);
      AnswerTheBox(QMessageBox::No, nullptr);
    }
    clock_.Set(due + 1);
    resident.OnScheduleTimer();
    EXPECT_EQ(std::filesystem::exists(Wallpaper()), !switchedOff) << switchedOff;
    SlotRecord* moved = resident.Slots().ItemData(1);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->dueTime, Local(2028, 6, 5, 10));
    moved->dueTime = due;
    InsertSlot(resident.Slots(), resident.Slots().TakeItem(1));
  }
  resident.Command(kCommandExit);
}

TEST_F(ResidentScheduleTest, TheClockLeavesTheCurrentSlotAloneWhileADateIsTypedOrRefused) {
  ResidentProgram resident(false);
  Open(resident);
  BookDialog& book = resident.Book();
  book.ShowBook();
  QApplication::setActiveWindow(&book);
  (void)QTest::qWaitForWindowActive(&book, 2000);
  book.MakeSlotCurrent(1);  // painting 9, due next year; painting 4 is overdue
  auto* date = book.findChild<QLineEdit*>(QString::number(kFieldDate));
  ASSERT_NE(date, nullptr);
  const QString laterDate = date->text();
  date->setFocus();
  date->selectAll();
  QTest::keyClicks(date, QStringLiteral("13/1/30"));
  resident.OnScheduleTimer();  // typing: the clock waits
  EXPECT_EQ(book.Cursor().Index(), 1);
  EXPECT_EQ(date->text(), QStringLiteral("13/1/30"));

  std::string refusal;
  bool questionDuringRefusal = false;
  QTimer::singleShot(50, [&] {
    QMessageBox* box = ShownBox();
    if (box == nullptr) return;
    refusal = box->text().toStdString();
    resident.OnScheduleTimer();  // a tick while "Invalid Date." is open
    questionDuringRefusal = ShownBox() != box;
    EXPECT_EQ(book.Cursor().Index(), 1);
    box->close();
  });
  QTimer guard;  // a question opened meanwhile would otherwise wait for ever
  QObject::connect(&guard, &QTimer::timeout, [] {
    if (QMessageBox* box = ShownBox(); box != nullptr && box->text().startsWith(QStringLiteral("Do you"))) box->close();
  });
  guard.start(500);
  book.FocusContentButton();  // the person clicks elsewhere: the date is refused
  EXPECT_EQ(refusal, "Invalid Date.");
  EXPECT_FALSE(questionDuringRefusal);
  EXPECT_EQ(book.Cursor().Index(), 1);
  EXPECT_EQ(date->text(), laterDate) << "the refused field shows its own slot's date again";
  EXPECT_EQ(resident.Slots().ItemData(0)->dueTime, Local(2027, 6, 1, 10)) << "painting 4 still waits";

  AnswerTheBox(QMessageBox::No, nullptr);
  resident.OnScheduleTimer();  // now the overdue slot is asked about
  EXPECT_EQ(resident.Slots().ItemData(1)->dueTime, Local(2028, 6, 1, 10));
  resident.Command(kCommandExit);
}

TEST_F(ResidentScheduleTest, ApplyAndPreviewCommandsWorkOnTheCurrentSlot) {
  ResidentProgram resident(true);
  Open(resident);
  resident.Book().MakeSlotCurrent(1);  // painting 9
  resident.Book().Command(kCommandApply);
  EXPECT_TRUE(std::filesystem::exists(Wallpaper()));
  char scrnsave[MAX_PATH] = "";
  GetPrivateProfileString("boot", "SCRNSAVE.EXE", "", scrnsave, sizeof scrnsave, "system.ini");
  EXPECT_STREQ(scrnsave, "C:\\WINDOWS\\SYSTEM\\ossen.scr");

  std::string shown;
  AnswerTheBox(QMessageBox::Ok, &shown);
  resident.Book().Command(kCommandPreview);  // no screen saver is installed in the prefix
  EXPECT_EQ(shown, "No Screen Saver Available | Vintra Ossens Screen Savers");
  resident.Command(kCommandExit);
}

}  // namespace
}  // namespace ossen
