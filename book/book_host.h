// What the book window asks of the resident program that shows it: the schedule and the
// picture library it draws from, the Timer switch, and the work behind the window's
// Apply, Preview and hide. The window keeps none of these itself; it only shows them.
#pragma once
#include <cstdint>

#include "platform/win32/module.h"
#include "schedule/slot_list.h"

namespace ossen {

class BookHost {
 public:
  virtual ~BookHost() = default;

  // The schedule the rows show and the edits change.
  virtual SlotList& Slots() = 0;
  // The loaded picture library the previews come from (null before it is loaded).
  virtual HMODULE PictureLibrary() const = 0;
  // The current time, for the year a typed date falls in.
  virtual std::int64_t Now() const = 0;

  // The Timer switch: whether the clock looks at the schedule.
  virtual bool TimerOn() const = 0;
  virtual void SetTimerOn(bool on) = 0;

  // The Apply and Preview commands for list item `index`.
  virtual void ApplySlot(int index) = 0;
  virtual void PreviewSlot(int index) = 0;
  // Writes the schedule to its file; nothing while no schedule is loaded.
  virtual void SaveSchedule() = 0;
};

}  // namespace ossen
