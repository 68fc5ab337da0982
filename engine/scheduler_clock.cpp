#include "engine/scheduler_clock.h"

#include <memory>
#include <utility>

#include "platform/base/trace.h"
#include "schedule/local_time.h"
#include "schedule/slot_store.h"

namespace ossen {

void SchedulerClock::OnTimer(bool timerOn) {
  if (!clockIdle_) return;
  if (!timerOn) {
    watching_ = false;
    return;
  }
  const std::int64_t now = clock_->Now();
  // A clock outside what a due time can hold would find every slot overdue at every
  // tick, with no next year to move it to: nothing is asked then.
  if (now < 0 || now > std::int64_t{kLatestDueTime}) {
    watching_ = false;
    return;
  }
  // A tick long after the one before (the machine slept) or before it (the clock was set
  // back): what lay between was not watched.
  if (watching_ && (now < lastTick_ || now - lastTick_ > kLongestTickGapSeconds)) watching_ = false;
  lastTick_ = now;
  if (!watching_) {
    watching_ = true;
    watchedAfter_ = now - 1;  // the tick's own second is watched
  }
  // The person is typing a date or time, or reading why one was refused: the slots wait
  // (the edit may move them), and the time keeps being watched.
  if (window_.EditInProgress()) return;
  bool handled = false;
  // The count is asked again for every i: the list is walked as it changes, so a slot
  // that moves on leaves its neighbour at i, to be found by the next tick.
  for (int i = 0; i < slots_.Count(); ++i) {
    SlotRecord* slot = slots_.ItemData(i);
    if (slot == nullptr) continue;
    clockIdle_ = false;
    handled = HandleSlot(slot, now) || handled;
    clockIdle_ = true;
  }
  if (!handled) {
    watchedAfter_ = now;
    return;
  }
  // Moments that came while a slot was in hand (its question open, its painting being
  // applied) were not watched: the next tick asks about them.
  const std::int64_t done = clock_->Now();
  lastTick_ = done;
  watchedAfter_ = done;
}

bool SchedulerClock::WatchedCome(std::int64_t due, std::int64_t now) const {
  return watching_ && due > watchedAfter_ && due <= now && now - due <= kLongestTickGapSeconds;
}

bool SchedulerClock::HandleSlot(SlotRecord* slot, std::int64_t now) {
  if (std::int64_t{slot->dueTime} > now) return false;
  if (WatchedCome(slot->dueTime, now)) {
    const int index = MakeCurrent(slot);
    if (index != SlotList::LB_ERR && WatchedCome(slot->dueTime, now)) {
      window_.ApplySlot(index);
      RescheduleSlot(slots_.IndexOf(slot));
      return true;
    }
  }
  // Read again: a pending edit committed above may have moved the slot on.
  if (slots_.IndexOf(slot) == SlotList::LB_ERR || std::int64_t{slot->dueTime} >= now) return false;
  if (MakeCurrent(slot) == SlotList::LB_ERR || std::int64_t{slot->dueTime} >= now) return false;
  const bool apply = window_.AskApplyNow(*slot);
  // The box ran a message loop: the slot may have moved, been edited or freed.
  if (slots_.IndexOf(slot) == SlotList::LB_ERR) return true;
  const int index = MakeCurrent(slot);
  if (index == SlotList::LB_ERR) return true;
  if (apply) window_.ApplySlot(index);
  RescheduleSlot(slots_.IndexOf(slot));
  return true;
}

int SchedulerClock::MakeCurrent(const SlotRecord* slot) {
  window_.CommitPendingEdit();
  const int index = slots_.IndexOf(slot);
  if (index != SlotList::LB_ERR) window_.MakeSlotCurrent(index);
  return index;
}

void SchedulerClock::RescheduleSlot(int index) {
  window_.FocusContentButton();
  std::unique_ptr<SlotRecord> slot = slots_.TakeItem(index);
  if (!slot) return;

  LocalMoment due;
  LocalMoment today;
  std::uint32_t next = kLatestDueTime;
  // The new year comes from today, not from the old due date.
  if (BreakDownMoment(slot->dueTime, due) && BreakDownMoment(clock_->Now(), today) && today.year < INT32_MAX) {
    due.year = today.year + 1;
    if (!ComposeDueTime(due, next)) {
      next = kLatestDueTime;
      Trace("slot %d: %04d-%02d-%02d cannot be held as a due time; it is not due again", slot->slotId, due.year,
            due.month, due.day);
    }
  }
  slot->dueTime = next;
  const int newIndex = InsertSlot(slots_, std::move(slot));
  if (newIndex != SlotList::LB_ERR) window_.MakeSlotCurrent(newIndex);
  window_.RedrawRows();
}

}  // namespace ossen
