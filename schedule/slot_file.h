// The bytes of "data.bin": a signed 32-bit count N, then N 536-byte records in list order,
// little-endian, no header beyond the count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "schedule/slot_list.h"

namespace ossen {

// The most records a file is read for. The program keeps 36; anything far beyond that is
// damage, and this bounds what a damaged count can make us allocate.
inline constexpr int kMaxSlotFileRecords = 1024;
// The most bytes that can hold the count and kMaxSlotFileRecords records.
inline constexpr std::size_t kMaxSlotFileBytes = 4 + kSlotRecordSize * kMaxSlotFileRecords;

// Empties the list and fills it with the records these bytes hold, in their order.
// Returns false, leaving the list empty, when there are no bytes at all: the caller then
// makes the default schedule. Otherwise hostile bytes are taken as far as they are sound:
//   - a short count (1 to 3 bytes) is read little-endian with the missing high bytes 0;
//   - a count of 0 or less gives an empty list;
//   - a count beyond the bytes (or beyond kMaxSlotFileRecords) stops at the last whole
//     record; bytes after the counted records are ignored;
//   - a title or artist without a terminator is cut at its last byte.
bool ParseSlotFile(std::span<const std::uint8_t> bytes, SlotList& list);

// The file bytes of the list: the count of items that hold a record, then those records.
std::vector<std::uint8_t> SerializeSlots(const SlotList& list);

}  // namespace ossen
