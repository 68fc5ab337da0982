// Editing a slot's date and time in place, through the real window offscreen: typed into
// the fields, committed by a click on the page as a user would.
#include <cstdlib>
#include <ctime>
#include <vector>

#include <QMessageBox>

#include <gtest/gtest.h>

#include "book/test/open_book.h"
#include "platform/win32/registry_helpers.h"
#include "schedule/local_time.h"

namespace ossen {
namespace {

using testing::MessageBoxCloser;
using testing::OpenBook;

class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old, hadOld_ = true;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZone() {
    if (hadOld_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::string old_;
  bool hadOld_ = false;
};

void UseShortDate(const char* picture) {
  RegWriteString(HKEY_CURRENT_USER, "Control Panel\\International", "sShortDate", picture);
}

using DueTime = decltype(SlotRecord::dueTime);

LocalMoment Local(DueTime due) {
  LocalMoment local;
  BreakDownMoment(due, local);
  return local;
}

std::vector<DueTime> AllDueTimes(SlotList& schedule) {
  std::vector<DueTime> times;
  for (int i = 0; i < schedule.Count(); ++i) times.push_back(schedule.ItemData(i)->dueTime);
  return times;
}

class SlotEditTest : public ::testing::Test {
 protected:
  // Types into the current row's fields (null: leave the field as it is) and clicks on
  // an empty place of the page, which commits.
  void Edit(OpenBook& open, const char* date, const char* time) {
    for (auto [id, text] : {std::pair{kFieldDate, date}, std::pair{kFieldTime, time}}) {
      if (text == nullptr) continue;
      QLineEdit* field = open.Field(id);
      field->setFocus();
      field->selectAll();
      QTest::keyClicks(field, QString::fromLatin1(text));
    }
    open.ClickAt(QPoint(600, 460));
  }

  TimeZone utc_{"UTC"};
};

TEST_F(SlotEditTest, DatesByAMonthDayYearPicture) {
  OpenBook open([] { UseShortDate("M/d/yy"); });
  BookDialog& book = open.book();
  MessageBoxCloser boxes;
  const int slotId = open.Current()->slotId;
  const LocalMoment start = Local(open.Current()->dueTime);

  Edit(open, "2/30/30", nullptr);  // 30 February is carried into March
  ASSERT_EQ(open.Current()->slotId, slotId);
  LocalMoment now = Local(open.Current()->dueTime);
  EXPECT_EQ(now.year, 2030);
  EXPECT_EQ(now.month, 3);
  EXPECT_EQ(now.day, 2);
  EXPECT_EQ(now.hour, start.hour);
  EXPECT_EQ(now.minute, start.minute);
  EXPECT_EQ(open.FieldText(kFieldDate), "3/2/30");
  EXPECT_FALSE(boxes.Said("Invalid Date."));

  Edit(open, "12/25", nullptr);  // no year: a two-digit 00
  EXPECT_EQ(Local(open.Current()->dueTime).year, 2000);
  EXPECT_EQ(Local(open.Current()->dueTime).month, 12);

  // Refused: the box, the date shown again, the slot where it was.
  for (const char* refused : {"13/1/30", "0/5/30", "5/5/39", "5/5/69", "5/5/99", "1/1/1969", "1/1/2039", "1/", "x"}) {
    MessageBoxCloser::traced().clear();
    const std::vector<DueTime> before = AllDueTimes(open.Slots());
    const int index = book.Cursor().Index();
    Edit(open, refused, nullptr);
    EXPECT_TRUE(boxes.Said("Invalid Date.")) << refused;
    EXPECT_EQ(AllDueTimes(open.Slots()), before) << refused;
    EXPECT_EQ(book.Cursor().Index(), index) << refused;
    EXPECT_EQ(open.FieldText(kFieldDate), "12/25/00") << refused;
  }

  Edit(open, "1/18/38", nullptr);  // 38 is 2038
  EXPECT_EQ(Local(open.Current()->dueTime).year, 2038);
  EXPECT_EQ(open.Current()->slotId, slotId);

}

TEST_F(SlotEditTest, ADateADueTimeCannotHoldIsRefusedAndTheSlotStays) {
  OpenBook open([] { UseShortDate("M/d/yy"); });
  BookDialog& book = open.book();
  MessageBoxCloser boxes;
  // The last date the field takes: the last day of 2038, which a due time holds (it counts
  // unsigned seconds, up to 2106). In UTC 2038-12-31 23:00 is 25201 days after 1970 (69
  // years of 365 days and the 17 leap days 1972 to 2036 reach 1 January 2039; one less)
  // and 23 hours.
  Edit(open, "12/31/38", "11:00 PM");
  EXPECT_EQ(open.Slots().Count(), 36);
  EXPECT_FALSE(boxes.Said("Invalid Date."));
  EXPECT_EQ(open.Current()->dueTime, DueTime{(69 * 365 + 17 - 1) * 86400ULL + 23 * 3600});
  EXPECT_EQ(open.Current()->dueTime, DueTime{2177449200});
  open.ClickControl(kCommandSet1);
  open.ClickRow(0);

  // East of Greenwich, midnight of 1 January 1970 lies before the first moment.
  TimeZone berlin("Europe/Berlin");
  MessageBoxCloser::traced().clear();
  book.DrawSlotPage();  // the fields in this zone's local time
  Edit(open, nullptr, "12:00 AM");  // the time first, as the help text advises
  const std::vector<DueTime> before = AllDueTimes(open.Slots());
  Edit(open, "1/1/70", nullptr);
  EXPECT_TRUE(boxes.Said("Invalid Date."));
  EXPECT_EQ(AllDueTimes(open.Slots()), before);
  EXPECT_EQ(open.Slots().Count(), 36);
  book.close();  // saves
  testing::FakeBookHost reread;  // loads data.bin as the program does
  EXPECT_EQ(AllDueTimes(reread.Slots()), before) << "data.bin keeps every slot";
}

TEST_F(SlotEditTest, DatesByADayMonthYearPicture) {
  OpenBook open([] { UseShortDate("d.M.yyyy"); });
  MessageBoxCloser boxes;
  Edit(open, "05.11.2001", nullptr);
  const LocalMoment now = Local(open.Current()->dueTime);
  EXPECT_EQ(now.year, 2001);
  EXPECT_EQ(now.month, 11);
  EXPECT_EQ(now.day, 5);
  EXPECT_EQ(open.FieldText(kFieldDate), "5.11.2001");
  Edit(open, "18.1.38", nullptr);
  EXPECT_EQ(Local(open.Current()->dueTime).year, 2038);
}

TEST_F(SlotEditTest, TimesWithAndWithoutMarkers) {
  OpenBook open([] { UseShortDate("M/d/yy"); });
  MessageBoxCloser boxes;
  struct Case {
    const char* typed;
    int hour, minute;
    const char* shown;
  };
  for (const Case& c : {Case{"12:15 AM", 0, 15, "12:15 AM"}, Case{"12:15 PM", 12, 15, "12:15 PM"},
                        Case{"7:05 pm", 19, 5, "07:05 PM"}, Case{"19:05", 19, 5, "07:05 PM"},
                        Case{"7", 7, 0, "07:00 AM"}, Case{"25:75", 1, 15, "01:15 AM"},
                        Case{"7 PM", 7, 0, "07:00 AM"}}) {
    Edit(open, nullptr, c.typed);
    const LocalMoment now = Local(open.Current()->dueTime);
    EXPECT_EQ(now.hour, c.hour) << c.typed;
    EXPECT_EQ(now.minute, c.minute) << c.typed;
    EXPECT_EQ(open.FieldText(kFieldTime), c.shown) << c.typed;
  }
  EXPECT_FALSE(boxes.Said("Invalid Date."));
}

TEST_F(SlotEditTest, UnchangedFieldsLeaveTheListAlone) {
  OpenBook open([] { UseShortDate("M/d/yy"); });
  BookDialog& book = open.book();
  MessageBoxCloser boxes;
  const std::vector<DueTime> before = AllDueTimes(open.Slots());
  Edit(open, nullptr, nullptr);
  open.Field(kFieldDate)->setFocus();
  open.ClickRow(0);
  open.Field(kFieldTime)->setFocus();
  open.ClickControl(kCommandSet1 + 1);
  EXPECT_EQ(AllDueTimes(open.Slots()), before);
  EXPECT_EQ(book.CommitSlotEdit(), 0);
  EXPECT_FALSE(boxes.Said("Invalid Date."));
}

TEST_F(SlotEditTest, AnEditMovesTheSlotAndThePageFollowsIt) {
  OpenBook open([] { UseShortDate("M/d/yy"); });
  BookDialog& book = open.book();
  MessageBoxCloser boxes;
  open.ClickRow(2);
  const int slotId = open.Current()->slotId;
  Edit(open, "1/18/38", "11:59 PM");  // later than every other slot
  EXPECT_EQ(book.Cursor().SetStart(), 24);
  EXPECT_EQ(book.Cursor().Row(), 11);
  EXPECT_EQ(open.Current()->slotId, slotId);
  EXPECT_EQ(open.Field(kFieldName)->geometry().top(), 132 + 24 * 11);

  // The same moment as another slot: the edited one goes before it.
  open.ClickControl(kCommandSet1);
  open.ClickRow(0);
  const SlotRecord* other = open.Slots().ItemData(20);
  const int otherId = other->slotId;
  const LocalMoment when = Local(other->dueTime);
  const std::string date = std::to_string(when.month) + "/" + std::to_string(when.day) + "/" +
                           std::to_string(when.year % 100);
  char time[16];
  std::snprintf(time, sizeof time, "%d:%02d", when.hour, when.minute);
  const int editedId = open.Current()->slotId;
  Edit(open, date.c_str(), time);
  const int edited = book.Cursor().Index();
  ASSERT_EQ(open.Slots().ItemData(edited)->slotId, editedId);
  const DueTime due = open.Slots().ItemData(edited)->dueTime;
  EXPECT_EQ(due, open.Slots().ItemData(edited + 1)->dueTime);
  if (edited > 0) {
    EXPECT_LT(open.Slots().ItemData(edited - 1)->dueTime, due) << "first among equals";
  }
  bool otherAfter = false;
  for (int i = edited + 1; i < open.Slots().Count(); ++i) otherAfter |= open.Slots().ItemData(i)->slotId == otherId;
  EXPECT_TRUE(otherAfter);
}

TEST_F(SlotEditTest, AClickOnARowCommitsFirstThenHitsTheRowOfTheNewPage) {
  OpenBook open([] { UseShortDate("M/d/yy"); });
  BookDialog& book = open.book();
  MessageBoxCloser boxes;
  const int slotId = open.Current()->slotId;
  QLineEdit* field = open.Field(kFieldDate);
  field->setFocus();
  field->selectAll();
  QTest::keyClicks(field, QStringLiteral("1/18/38"));
  open.ClickRow(4);
  // The slot moved to the last place (set 3); the click then made row 5 of set 3 current.
  EXPECT_EQ(book.Cursor().SetStart(), 24);
  EXPECT_EQ(book.Cursor().Row(), 4);
  EXPECT_EQ(open.Slots().ItemData(35)->slotId, slotId);
}

TEST_F(SlotEditTest, AnInvalidDateKeepsTheTypedTimeAndTheSlot) {
  OpenBook open([] { UseShortDate("M/d/yy"); });
  BookDialog& book = open.book();
  MessageBoxCloser boxes;
  const std::string shownDate = open.FieldText(kFieldDate);
  const std::vector<DueTime> before = AllDueTimes(open.Slots());
  QLineEdit* time = open.Field(kFieldTime);
  time->setText(QStringLiteral("3:33 PM"));
  QLineEdit* date = open.Field(kFieldDate);
  date->setFocus();
  date->selectAll();
  QTest::keyClicks(date, QStringLiteral("99/99/99"));
  EXPECT_EQ(book.CommitSlotEdit(), 1);
  EXPECT_TRUE(boxes.Said("Invalid Date."));
  EXPECT_EQ(open.FieldText(kFieldDate), shownDate);
  EXPECT_EQ(open.FieldText(kFieldTime), "3:33 PM");
  EXPECT_EQ(AllDueTimes(open.Slots()), before);
}

TEST_F(SlotEditTest, ANegativeHourOrMinuteCarriesIntoTheDayBefore) {
  OpenBook open([] { UseShortDate("M/d/yy"); });
  MessageBoxCloser boxes;
  const int slotId = open.Current()->slotId;
  struct Case {
    const char* time;
    const char* date;
    const char* shownTime;
  };
  for (const Case& c : {Case{"-1:00", "1/11/30", "11:00 PM"}, Case{"-5:-30", "1/11/30", "06:30 PM"},
                        Case{"0:-1", "1/11/30", "11:59 PM"}}) {
    Edit(open, nullptr, "12:00 AM");
    Edit(open, "1/12/30", nullptr);
    Edit(open, nullptr, c.time);
    ASSERT_EQ(open.Current()->slotId, slotId) << c.time;
    EXPECT_EQ(open.FieldText(kFieldDate), c.date) << c.time;
    EXPECT_EQ(open.FieldText(kFieldTime), c.shownTime) << c.time;
    EXPECT_EQ(Local(open.Current()->dueTime).year, 2030) << c.time;
  }
  EXPECT_FALSE(boxes.Said("Invalid Date."));
}

TEST_F(SlotEditTest, AnEditIsInProgressWhileTypedAndWhileItsRefusalIsOpenAndExitCommitsItWithoutABox) {
  OpenBook open([] { UseShortDate("M/d/yy"); });
  BookDialog& book = open.book();
  EXPECT_FALSE(book.EditInProgress());
  QLineEdit* date = open.Field(kFieldDate);
  date->setFocus();
  EXPECT_FALSE(book.EditInProgress()) << "a click into the field alone is no edit";
  date->selectAll();
  QTest::keyClicks(date, QStringLiteral("13/1/30"));
  EXPECT_TRUE(book.EditInProgress());

  bool inProgressWhileRefused = false;
  std::string said;
  QTimer::singleShot(50, [&] {
    inProgressWhileRefused = book.EditInProgress();
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      said = box->text().toStdString();
      box->close();
    }
  });
  open.ClickAt(QPoint(600, 460));
  EXPECT_EQ(said, "Invalid Date.");
  EXPECT_TRUE(inProgressWhileRefused);
  EXPECT_FALSE(book.EditInProgress());

  // Exit and the session end commit what is typed, and refuse a bad date without a box.
  MessageBoxCloser boxes;
  const int slotId = open.Current()->slotId;
  date->setFocus();
  date->selectAll();
  QTest::keyClicks(date, QStringLiteral("7/4/31"));
  book.CommitTypedEdit();
  EXPECT_EQ(Local(open.Current()->dueTime).year, 2031);
  EXPECT_EQ(open.Current()->slotId, slotId);
  date->setFocus();
  date->selectAll();
  QTest::keyClicks(date, QStringLiteral("99/99/99"));
  const std::vector<DueTime> before = AllDueTimes(open.Slots());
  book.CommitTypedEdit();
  EXPECT_FALSE(boxes.Said("Invalid Date."));
  EXPECT_NE(MessageBoxCloser::traced().find("Invalid Date. 99/99/99"), std::string::npos);
  EXPECT_EQ(AllDueTimes(open.Slots()), before);
}

TEST_F(SlotEditTest, OffTheContentPageAMovedSlotLeavesThePageAlone) {
  OpenBook open([] { UseShortDate("M/d/yy"); });
  BookDialog& book = open.book();
  for (int tab : {kCommandHelp, kCommandCover, kCommandCredit}) {
    open.ClickControl(tab);
    const QImage page = open.Shown();
    book.MakeSlotCurrent(17);  // what the clock does with a slot that fell due
    book.DrawSlotPage();
    EXPECT_EQ(open.Shown(), page) << tab;
    for (int id : {kFieldName, kFieldDate, kFieldTime}) EXPECT_FALSE(open.Field(id)->isVisible()) << tab;
  }
  open.ClickControl(kCommandContent);
  EXPECT_EQ(book.Cursor().Index(), 17);
  EXPECT_EQ(open.FieldText(kFieldName), open.Slots().ItemText(17));
  EXPECT_TRUE(open.Field(kFieldDate)->isVisible());
}

}  // namespace
}  // namespace ossen
