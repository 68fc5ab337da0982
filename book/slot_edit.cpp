// Editing the current slot's date and time in place: the user's date picture, and the
// commit that reads both fields when either loses the focus and moves the slot to its new
// place in the time-ordered list.
#include "book/book_dialog.h"
#include "book/date_parse.h"
#include "book/message_box.h"
#include "book/picture_button.h"
#include "book/slot_field.h"
#include "platform/base/trace.h"
#include "platform/win32/date_format.h"
#include "schedule/local_time.h"
#include "schedule/slot_store.h"

namespace ossen {
namespace {

constexpr char kInvalidDate[] = "Invalid Date.";

// EnumDateFormats calls back without a context: the discovery in progress is kept here.
std::string* discoveredFormat = nullptr;

BOOL TakeFirstDateFormat(char* format) {
  if (discoveredFormat != nullptr && format != nullptr) *discoveredFormat = format;
  return 0;  // only the user's own (first) short date picture
}

std::string Trimmed(const QString& text) {
  return text.trimmed().toLatin1().toStdString();
}

}  // namespace

void BookDialog::DiscoverDateFormat() {
  dateFormat = "M//d//yy";
  dateSeparator = '/';
  std::string found = dateFormat;
  discoveredFormat = &found;
  EnumDateFormats(TakeFirstDateFormat, LOCALE_USER_DEFAULT, DATE_SHORTDATE);
  discoveredFormat = nullptr;
  dateFormat = found;
  for (const char c : dateFormat) {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!letter) {
      dateSeparator = c;
      break;
    }
  }
}

int BookDialog::CommitSlotEdit() {
  // While the fields are refilled or the focus is moved on purpose nothing is committed,
  // and a commit never runs inside itself (its message box takes the focus too).
  if (fieldsQuiet_ || committing_ || dateField_ == nullptr) return 0;
  const std::string timeText = Trimmed(timeField_->text());
  const std::string dateText = Trimmed(dateField_->text());
  SlotList& schedule = host_.Slots();
  const int index = cursor_.Index();
  SlotRecord* record = schedule.ItemData(index);
  if (record == nullptr) return 0;

  std::string shownDate;
  std::string shownTime;
  FormatSlotMoment(record->dueTime, shownDate, shownTime);
  if (dateText == shownDate && timeText == shownTime) return 0;

  committing_ = true;
  SYSTEMTIME moment;
  LocalMoment today;
  BreakDownMoment(host_.Now(), today);
  bool valid = ParseDate(dateText, dateFormat, dateSeparator, today.year, moment) == 0;
  std::string typedTime = timeText;
  if (valid) ParseTime(typedTime, moment);

  // A moment the slot's due time cannot hold is refused like any impossible date, and
  // before the slot leaves the list, so it never drops out of the schedule.
  decltype(record->dueTime) dueTime = record->dueTime;
  if (valid) {
    LocalMoment local;
    local.year = moment.wYear;
    local.month = moment.wMonth;
    local.day = moment.wDay;
    // The parser leaves a negative hour or minute in its 16-bit field; read as such it
    // carries into the hour or the day before (-1:00 on 1/12 is 11:00 PM on 1/11).
    local.hour = static_cast<std::int16_t>(moment.wHour);
    local.minute = static_cast<std::int16_t>(moment.wMinute);
    local.second = 0;
    valid = ComposeDueTime(local, dueTime);
  }
  if (!valid) {
    if (quietRefusal_) {
      Trace("%s %s %s: not committed", kInvalidDate, dateText.c_str(), timeText.c_str());
    } else {
      AppMessageBox(this, kInvalidDate);
    }
    fieldsQuiet_ = true;
    dateField_->setText(QString::fromLatin1(shownDate.c_str()));
    fieldsQuiet_ = false;
    committing_ = false;
    return 1;
  }

  std::unique_ptr<SlotRecord> moved = schedule.TakeItem(index);
  moved->dueTime = dueTime;
  cursor_.MoveTo(InsertSlot(schedule, std::move(moved)));
  committing_ = false;
  DrawSlotPage();
  return 0;
}

void BookDialog::CommitTypedEdit() {
  const QWidget* focused = focusWidget();
  if (focused != dateField_ && focused != timeField_) return;
  quietRefusal_ = true;
  CommitSlotEdit();
  quietRefusal_ = false;
}

bool BookDialog::EditInProgress() const {
  if (committing_) return true;
  for (const SlotField* field : {dateField_, timeField_}) {
    if (field != nullptr && field->hasFocus() && field->isModified()) return true;
  }
  return false;
}

// The Content tab takes the focus. An edit in progress is committed first, also while the
// window is inactive (when moving the focus tells the field nothing), and only once.
void BookDialog::FocusContentButton() {
  QWidget* focused = focusWidget();
  if (focused == dateField_ || focused == timeField_) CommitSlotEdit();
  PictureButton* content = buttons_[kCommandContent - kFirstButtonCommand];
  if (content == nullptr) return;
  fieldsQuiet_ = true;
  content->setFocus(Qt::OtherFocusReason);
  fieldsQuiet_ = false;
}

}  // namespace ossen
