#include "schedule/slot_list.h"

#include <utility>

namespace ossen {

int SlotList::InsertItem(int index, std::string_view text) {
  if (index == -1) index = Count();
  if (index < 0 || index > Count()) return LB_ERR;
  items_.insert(items_.begin() + index, Item{std::string(text), nullptr});
  return index;
}

int SlotList::DeleteItem(int index) {
  if (!Holds(index)) return LB_ERR;
  items_.erase(items_.begin() + index);
  return Count();
}

std::unique_ptr<SlotRecord> SlotList::TakeItem(int index) {
  if (!Holds(index)) return nullptr;
  std::unique_ptr<SlotRecord> record = std::move(items_[static_cast<std::size_t>(index)].record);
  items_.erase(items_.begin() + index);
  return record;
}

std::string SlotList::ItemText(int index) const {
  return Holds(index) ? items_[static_cast<std::size_t>(index)].text : std::string();
}

int SlotList::SetItemData(int index, std::unique_ptr<SlotRecord> record) {
  if (!Holds(index)) return LB_ERR;
  items_[static_cast<std::size_t>(index)].record = std::move(record);
  return 0;
}

SlotRecord* SlotList::ItemData(int index) const {
  return Holds(index) ? items_[static_cast<std::size_t>(index)].record.get() : nullptr;
}

int SlotList::IndexOf(const SlotRecord* record) const {
  if (record == nullptr) return LB_ERR;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].record.get() == record) return static_cast<int>(i);
  }
  return LB_ERR;
}

}  // namespace ossen
