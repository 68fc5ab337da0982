// The scheduler clock: on every tick of the window's two-second timer it walks the slot
// list, applies a slot whose moment it watched come, asks about one whose moment passed
// unwatched, and moves either to the same date and time in the year after the current one.
//
// Watched: the moment lies in the tick's own second, or after the tick before it, with the
// clock running, Timer on and nothing else in hand in between. A moment that passed before
// the first tick (ossen was not running), while Timer was off, while the clock was busy with
// another slot (its question open, its painting being applied) or in a long gap between two
// ticks (the machine slept) was not watched: it is asked about, never applied unasked late.
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

// Ticks come every two seconds; a gap between two ticks longer than this means the time in
// between was not watched (the machine slept, the process was stopped). It also bounds how
// late a watched moment may still be applied unasked, after the clock waited for an edit.
inline constexpr std::int64_t kLongestTickGapSeconds = 30;

class ClockWindow {
 public:
  virtual ~ClockWindow() = default;
  // True while the person types a date or time not yet committed, or while the box that
  // refuses one is open: the clock then leaves the slots and the current slot alone.
  virtual bool EditInProgress() const = 0;
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
  // inside the handling of a slot, and waits while an edit is in progress.
  void OnTimer(bool timerOn);
  // The time from now to the next tick is not watched (Timer was switched off).
  void StopWatching() { watching_ = false; }

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
  // Handles `slot` if it is due at `now`; true when it did (applied or asked).
  bool HandleSlot(SlotRecord* slot, std::int64_t now);
  // A moment due by `now` that the clock watched come: applied without a question.
  bool WatchedCome(std::int64_t due, std::int64_t now) const;

  SlotList& slots_;
  const Clock* clock_;
  ClockWindow& window_;
  bool clockIdle_ = true;
  // While watching, the time after `watchedAfter_` up to the latest tick was watched.
  bool watching_ = false;
  std::int64_t watchedAfter_ = 0;
  std::int64_t lastTick_ = 0;
};

}  // namespace ossen
