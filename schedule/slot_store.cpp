#include "schedule/slot_store.h"

#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/base/file_io.h"
#include "platform/base/trace.h"
#include "schedule/catalogue.h"
#include "schedule/crt_rand.h"
#include "schedule/local_time.h"
#include "schedule/slot_file.h"

namespace ossen {

namespace {

constexpr int kDefaultSlotYear = 2037;

void CopyText(char (&field)[MAX_PATH], const char* text) {
  std::strncpy(field, text, MAX_PATH - 1);
  field[MAX_PATH - 1] = '\0';
}

// The first `maxBytes` bytes of a file too large to read whole.
bool ReadLeadingBytes(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& out) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) return false;
  out.resize(maxBytes);
  out.resize(std::fread(out.data(), 1, maxBytes, file.get()));
  return true;
}

}  // namespace

void BuildDefaultSlots(SlotList& list, const Clock& clock) { BuildDefaultSlots(list, clock, BuiltInSlotCatalogue()); }

void BuildDefaultSlots(SlotList& list, const Clock& clock, const SlotCatalogue& catalogue) {
  list.ResetContent();
  LocalMoment today;
  const bool knowToday = BreakDownMoment(clock.Now(), today);

  CrtRand rand;
  for (int i = 0; i <= CatalogueCount; ++i) {
    auto record = std::make_unique<SlotRecord>();
    record->reserved = 0;
    LocalMoment due;
    if (i == 0) {
      CopyText(record->title, kWindowsDefaultText);
      CopyText(record->artist, kWindowsDefaultText);
      due.year = kDefaultSlotYear;
    } else {
      CopyText(record->artist, catalogue.artists[i - 1].c_str());
      CopyText(record->title, catalogue.titles[i - 1].c_str());
      due.year = today.year + 1;
    }
    due.day = rand.Next() % 28 + 1;
    due.month = rand.Next() % 12 + 1;
    const bool yearKnown = i == 0 || knowToday;
    if (!yearKnown || !ComposeDueTime(due, record->dueTime)) record->dueTime = kLatestDueTime;
    record->elements = kAllElements;
    record->slotId = i;
    InsertSlot(list, std::move(record));
  }
}

int FindInsertIndex(const SlotList& list, std::uint32_t dueTime) {
  const int count = list.Count();
  for (int i = 0; i < count; ++i) {
    const SlotRecord* record = list.ItemData(i);
    if (record != nullptr && dueTime <= record->dueTime) return i;
  }
  return count;
}

int InsertSlot(SlotList& list, std::unique_ptr<SlotRecord> record) {
  if (!record) return SlotList::LB_ERR;
  const int index = list.InsertItem(FindInsertIndex(list, record->dueTime), FieldText(record->artist));
  if (index != SlotList::LB_ERR) list.SetItemData(index, std::move(record));
  return index;
}

SlotSource LoadSlots(SlotList& list, const std::string& path, const Clock& clock) {
  return LoadSlots(list, path, clock, BuiltInSlotCatalogue());
}

SlotSource LoadSlots(SlotList& list, const std::string& path, const Clock& clock, const SlotCatalogue& catalogue) {
  std::vector<std::uint8_t> bytes;
  bool unreadable = false;
  switch (ReadFileBytes(path, kMaxSlotFileBytes, bytes)) {
    case ReadResult::kOk:
      break;
    case ReadResult::kTooLarge:
      // More bytes than the most records we take: the leading ones hold all we read.
      if (!ReadLeadingBytes(path, kMaxSlotFileBytes, bytes)) {
        bytes.clear();
        unreadable = true;
      }
      break;
    case ReadResult::kMissing:
      bytes.clear();
      break;
    case ReadResult::kError:
      bytes.clear();
      unreadable = true;
      break;
  }
  if (!unreadable && ParseSlotFile(bytes, list)) return SlotSource::kFile;
  BuildDefaultSlots(list, clock, catalogue);
  if (!unreadable) return SlotSource::kDefaults;
  Trace("LoadSlots: %s cannot be read; the default schedule stands in", path.c_str());
  return SlotSource::kUnreadable;
}

bool SaveSlots(const SlotList& list, const std::string& path) {
  const std::vector<std::uint8_t> bytes = SerializeSlots(list);
  if (WriteFileAtomically(path, bytes.data(), bytes.size())) return true;
  Trace("SaveSlots: %s not written", path.c_str());
  return false;
}

void FreeSlots(SlotList& list) {
  for (int remaining = list.Count(); remaining > 0; --remaining) list.DeleteItem(0);
}

bool ToggleElement(SlotList& list, int index, Element element) {
  SlotRecord* record = list.ItemData(index);
  if (record == nullptr) return false;
  record->elements ^= static_cast<std::uint16_t>(element);
  return true;
}

}  // namespace ossen
