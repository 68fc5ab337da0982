// The book window's schedule: timer 1 runs the scheduler clock, the Preview and Apply
// commands run the apply engine, and the window answers what both ask of it.
#include <QApplication>
#include <QCursor>

#include "book/book_dialog.h"
#include "book/message_box.h"
#include "book/program_strings.h"
#include "platform/base/trace.h"

namespace ossen {

void BookDialog::OnScheduleTimer() {
  // After the shut-down the records are gone and nothing is due.
  if (destroyed_) return;
  schedulerClock_.OnTimer(timerOn != 0);
}

ApplyInputs BookDialog::EngineInputs() const {
  return ApplyInputs{slotList_, programDir, resourceLibrary, desktop_.get()};
}

void BookDialog::ApplySlot(int index) {
  if (destroyed_) return;
  ossen::ApplySlot(EngineInputs(), *this, index);
}

void BookDialog::PreviewCurrentSlot() {
  if (destroyed_) return;
  PreviewSlot(EngineInputs(), *this, pageStart + pageSlot);
}

void BookDialog::CommitPendingEdit() { CommitSlotEdit(); }

void BookDialog::MakeSlotCurrent(int index) {
  pageStart = index / kSlotsPerPage * kSlotsPerPage;
  pageSlot = index % kSlotsPerPage;
  SelectSlot();
}

bool BookDialog::AskApplyNow(const SlotRecord& slot) {
  // The question names no slot: the book shows the due slot as the current one.
  Trace("asking about slot %d (%s)", slot.slotId, std::string(FieldText(slot.artist)).c_str());
  return AppYesNoBox(this, ProgramString(kStringApplyNow).c_str());
}

void BookDialog::RedrawRows() { DrawSlotPage(); }

void BookDialog::BeginWaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

void BookDialog::EndWaitCursor() { QApplication::restoreOverrideCursor(); }

void BookDialog::ShowMessage(const char* text) { AppMessageBox(this, text); }

}  // namespace ossen
