#include "schedule/slot_file.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace ossen {

namespace {

constexpr std::size_t kCountSize = 4;

// The count from up to four little-endian bytes; missing high bytes read as 0.
std::int32_t ReadCount(std::span<const std::uint8_t> bytes) {
  std::uint32_t count = 0;
  const std::size_t have = std::min(bytes.size(), kCountSize);
  for (std::size_t i = 0; i < have; ++i) count |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
  return static_cast<std::int32_t>(count);
}

}  // namespace

bool ParseSlotFile(std::span<const std::uint8_t> bytes, SlotList& list) {
  list.ResetContent();
  if (bytes.empty()) return false;

  const std::int32_t count = ReadCount(bytes);
  if (count <= 0) return true;
  const std::size_t wholeRecords = bytes.size() > kCountSize ? (bytes.size() - kCountSize) / kSlotRecordSize : 0;
  const std::size_t records =
      std::min({static_cast<std::size_t>(count), wholeRecords, static_cast<std::size_t>(kMaxSlotFileRecords)});

  for (std::size_t k = 0; k < records; ++k) {
    auto record = std::make_unique<SlotRecord>();
    std::memcpy(record.get(), bytes.data() + kCountSize + k * kSlotRecordSize, kSlotRecordSize);
    record->title[MAX_PATH - 1] = '\0';
    record->artist[MAX_PATH - 1] = '\0';
    const int index = list.InsertItem(-1, FieldText(record->artist));
    list.SetItemData(index, std::move(record));
  }
  return true;
}

std::vector<std::uint8_t> SerializeSlots(const SlotList& list) {
  std::vector<std::uint8_t> bytes(kCountSize);
  std::uint32_t written = 0;
  for (int i = 0; i < list.Count(); ++i) {
    const SlotRecord* record = list.ItemData(i);
    if (record == nullptr) continue;
    const auto* raw = reinterpret_cast<const std::uint8_t*>(record);
    bytes.insert(bytes.end(), raw, raw + kSlotRecordSize);
    ++written;
  }
  for (std::size_t i = 0; i < kCountSize; ++i) bytes[i] = static_cast<std::uint8_t>(written >> (8 * i));
  return bytes;
}

}  // namespace ossen
