// The scheduler clock: on every tick of the window's two-second timer it walks the slot
// list, applies a slot whose moment is exactly now, asks about one whose moment has
// passed, and moves either to the same date and time in the year after the current one.
//
// What it asks of the window goes through ClockWindow. The window may run a message loop
// inside AskApplyNow (the question box): meanwhile a tick does nothing, and the user may
// edit, move or even free records, so the slot asked about is found again by its address
// afterwards and nothing is read through a record that is gone.
#pragma once

#include <cstdint>

#include "schedule/clock.h"
#include "schedule/slot_list.h"

namespace ossen {

class ClockWindow {
 public:
  virtual ~ClockWindow() = default;
  // Writes a pending edit of the date and time fields into the current slot (which may
  // move it in the list).
  virtual void CommitPendingEdit() = 0;
  // Makes item `index` the current slot (page and position) and fills the fields with
  // that slot's own texts.
  virtual void MakeSlotCurrent(int index) = 0;
  // The Yes/No question "Do you want to apply the settings now?" about `slot`; true for Yes.
  virtual bool AskApplyNow(const SlotRecord& slot) = 0;
  virtual void ApplySlot(int index) = 0;
  virtual void FocusContentButton() = 0;
  virtual void RedrawRows() = 0;
};

class SchedulerClock {
 public:
  SchedulerClock(SlotList& slotList, const Clock& clock, ClockWindow& window)
      : slots_(slotList), clock_(&clock), window_(window) {}

  // Where the current time comes from from now on (tests set their own clock).
  void UseClock(const Clock& clock) { clock_ = &clock; }

  // One timer tick. Does nothing while the Timer switch is off or a tick is already
  // inside the handling of a slot.
  void OnTimer(bool timerOn);

  // Moves the slot at `index` (the current one) to its date and time in the year after
  // the clock's local year, re-inserts it in time order and makes it current. A moment
  // that a due time cannot hold becomes kLatestDueTime, so it is never asked about again.
  void RescheduleSlot(int index);

  // False while a tick is inside the handling of a slot (the question box is open).
  bool Idle() const { return clockIdle_; }

 private:
  // Commits a pending edit of the old current slot, then makes `slot` current with its
  // own field texts. Its index afterwards, or LB_ERR when the list no longer holds it.
  int MakeCurrent(const SlotRecord* slot);
  void HandleSlot(SlotRecord* slot, std::int64_t now);

  SlotList& slots_;
  const Clock* clock_;
  ClockWindow& window_;
  bool clockIdle_ = true;
};

}  // namespace ossen
