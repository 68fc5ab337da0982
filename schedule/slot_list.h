// The slot list: stands for the book window's hidden list-box control, one item per slot,
// with the list-box operations the program uses. Item text is the slot's artist, item data
// its record. Unlike a list box the list owns the records: deleting an item or emptying
// the list frees them, and TakeItem hands a record back out for re-insertion elsewhere.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "schedule/slot_record.h"

namespace ossen {

class SlotList {
 public:
  // The list box's error value, returned for an index outside the list.
  static constexpr int LB_ERR = -1;

  int Count() const { return static_cast<int>(items_.size()); }

  // Inserts an item without data before `index`; -1 appends. Returns the new item's
  // index, or LB_ERR when `index` is beyond the count or below -1.
  int InsertItem(int index, std::string_view text);

  // Removes the item and frees its record. Returns the remaining count or LB_ERR.
  int DeleteItem(int index);

  // Removes the item and gives its record to the caller (null when the index is outside
  // the list or the item had no record).
  std::unique_ptr<SlotRecord> TakeItem(int index);

  // The item's text; empty for an index outside the list.
  std::string ItemText(int index) const;

  // Attaches the record to the item, freeing any record it held. Returns 0 or LB_ERR
  // (the record is then freed).
  int SetItemData(int index, std::unique_ptr<SlotRecord> record);

  // The item's record; null when the index is outside the list ("no current slot").
  SlotRecord* ItemData(int index) const;

  // The index of the item holding this very record (found by address, never read
  // through), or LB_ERR when no item holds it any more.
  int IndexOf(const SlotRecord* record) const;

  // Removes every item and frees every record.
  void ResetContent() { items_.clear(); }

 private:
  struct Item {
    std::string text;
    std::unique_ptr<SlotRecord> record;
  };

  bool Holds(int index) const { return index >= 0 && index < Count(); }

  std::vector<Item> items_;
};

}  // namespace ossen
