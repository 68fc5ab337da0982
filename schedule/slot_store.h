// The schedule store: the default schedule, the time order of the slot list, and the
// file "data.bin" in which the list survives between runs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "product/product_names.h"
#include "schedule/catalogue.h"
#include "schedule/clock.h"
#include "schedule/slot_list.h"
#include "schedule/slot_record.h"

namespace ossen {

// The list's file, relative to the current directory (the program folder).

// The due time a slot gets when its next date cannot be held by a `dueTime` (a clock in
// 2105 or later): the last moment that can, so the slot is never due rather than always
// overdue.
inline constexpr std::uint32_t kLatestDueTime = UINT32_MAX;

// Empties the list and fills it with the 36 default slots: "Windows Default" on a fixed
// day of 2037, each painting on a fixed day (1 to 28) of the year after the clock's local
// year, at local midnight, all elements on. The days are drawn from a fresh CrtRand, so
// every call gives the same dates for the same year. The paintings' titles and painters
// come from `catalogue` (the built-in one when none is given).
void BuildDefaultSlots(SlotList& list, const Clock& clock, const SlotCatalogue& catalogue);
void BuildDefaultSlots(SlotList& list, const Clock& clock);

// Where a record due at `dueTime` belongs: before the first item due at the same time or
// later (so among equal times the newest insertion comes first); the count when none is.
int FindInsertIndex(const SlotList& list, std::uint32_t dueTime);

// Inserts the record at FindInsertIndex of its dueTime, with its artist as item text.
// Returns the index, or SlotList::LB_ERR for a null record.
int InsertSlot(SlotList& list, std::unique_ptr<SlotRecord> record);

// Where a loaded list came from. kUnreadable: the file is there but could not be read (not
// a plain file, no permission, an input error); the list holds the default schedule, and
// the file, which may still hold the person's own, must not be saved over.
enum class SlotSource { kFile, kDefaults, kUnreadable };

// Fills the list from the slot file at the host path (relative paths against the current
// directory), keeping the file's order. A file that is missing, unreadable or empty gives
// the default schedule, titled from `catalogue` (the picture library's, see
// LibrarySlotCatalogue). A file larger than kMaxSlotFileBytes is read only that far.
SlotSource LoadSlots(SlotList& list, const std::string& path, const Clock& clock, const SlotCatalogue& catalogue);
SlotSource LoadSlots(SlotList& list, const std::string& path, const Clock& clock);
inline SlotSource LoadSlots(SlotList& list, const Clock& clock, const SlotCatalogue& catalogue) {
  return LoadSlots(list, product::kScheduleFile, clock, catalogue);
}
inline SlotSource LoadSlots(SlotList& list, const Clock& clock) { return LoadSlots(list, product::kScheduleFile, clock); }

// Writes the list to the host path: the count and every record, in list order. The old
// file is replaced atomically, so a failure leaves it as it was. Returns false when the
// file could not be written.
bool SaveSlots(const SlotList& list, const std::string& path = product::kScheduleFile);

// Deletes every item of the list and its record.
void FreeSlots(SlotList& list);

// Flips one element bit of the slot at `index` (in memory only). Returns false when there
// is no slot there.
bool ToggleElement(SlotList& list, int index, Element element);

}  // namespace ossen
