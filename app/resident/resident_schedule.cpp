// The resident program's schedule: timer 1 runs the scheduler clock, the book's Preview
// and Apply run the apply engine, and what both ask of a window goes to the book.
#include <QApplication>
#include <QCursor>

#include "app/resident/resident_program.h"
#include "app/resident/tray_icon.h"
#include "book/book_dialog.h"
#include "book/program_strings.h"
#include "platform/base/trace.h"

namespace ossen {

void ResidentProgram::OnScheduleTimer() {
  // After the shut-down the records are gone and nothing is due.
  if (shutDown_) return;
  schedulerClock_.OnTimer(timerOn_);
}

void ResidentProgram::SetTimerOn(bool on) {
  timerOn_ = on;
  // What passes while Timer is off is asked about, however soon it comes back on.
  if (!on) schedulerClock_.StopWatching();
}

ApplyInputs ResidentProgram::EngineInputs() const {
  return ApplyInputs{slotList_, programDir_, library_, desktop_.get()};
}

void ResidentProgram::ApplySlot(int index) {
  if (shutDown_) return;
  ossen::ApplySlot(EngineInputs(), *this, index);
}

void ResidentProgram::PreviewSlot(int index) {
  if (shutDown_) return;
  ossen::PreviewSlot(EngineInputs(), *this, index);
}

bool ResidentProgram::EditInProgress() const { return book_->EditInProgress(); }

void ResidentProgram::CommitPendingEdit() {
  book_->CommitSlotEdit();
}

void ResidentProgram::MakeSlotCurrent(int index) {
  book_->MakeSlotCurrent(index);
}

bool ResidentProgram::AskApplyNow(const SlotRecord& slot) {
  // The question names no slot: the book shows the due slot as the current one.
  Trace("asking about slot %d (%s)", slot.slotId, std::string(FieldText(slot.artist)).c_str());
  return book_->AskYesNo(ProgramString(kStringApplyNow).c_str());
}

void ResidentProgram::FocusContentButton() {
  book_->FocusContentButton();
}

void ResidentProgram::RedrawRows() {
  book_->DrawSlotPage();
}

bool ResidentProgram::IsRandomTicked() const { return book_->IsRandomTicked(); }

void ResidentProgram::BeginWaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

void ResidentProgram::EndWaitCursor() { QApplication::restoreOverrideCursor(); }

void ResidentProgram::ShowMessage(const char* text) {
  book_->ShowMessage(text);
}

void ResidentProgram::ShowTrayNotice(const std::string& text) {
  if (!trayIcon_ || !trayIcon_->ShowNotice(text)) Trace("tray: no icon for the notice \"%s\"", text.c_str());
}

}  // namespace ossen
