// The per-slot record: one painting (or "Windows Default"), when it next falls due and
// which theme elements it applies then. The same 536 bytes are a record of "data.bin".
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "platform/base/win_types.h"

namespace ossen {

// Theme elements a slot applies; `elements` is a mask of these bits.
enum class Element : std::uint16_t {
  Saver = 1,      // the screen-saver picture
  Wallpaper = 2,  // the desktop wallpaper
  Startup = 4,    // the image shown while Windows starts
};
inline constexpr std::uint16_t kAllElements = 7;

// slotId 0 is the slot that resets the desktop instead of applying a painting.
inline constexpr std::int32_t kWindowsDefaultSlotId = 0;
inline constexpr char kWindowsDefaultText[] = "Windows Default";

struct SlotRecord {
  std::int32_t reserved;      // written 0, never used
  char title[MAX_PATH];       // NUL-terminated painting title
  char artist[MAX_PATH];      // NUL-terminated painter; also the slot's list text
  // Next due moment, seconds since 1970-01-01 00:00 UTC, read unsigned: the same four
  // bytes reach 2106-02-07 06:28:15 UTC instead of wrapping in January 2038.
  std::uint32_t dueTime;
  std::uint16_t elements;     // mask of Element bits
  std::uint16_t padding;      // no meaning
  std::int32_t slotId;        // catalogue number: 0 = "Windows Default", 1..35 = painting
};

inline constexpr std::size_t kSlotRecordSize = 536;

// The record is stored as its raw memory image, so its layout is fixed byte for byte.
static_assert(sizeof(SlotRecord) == kSlotRecordSize);
static_assert(offsetof(SlotRecord, reserved) == 0);
static_assert(offsetof(SlotRecord, title) == 4);
static_assert(offsetof(SlotRecord, artist) == 264);
static_assert(offsetof(SlotRecord, dueTime) == 524);
static_assert(offsetof(SlotRecord, elements) == 528);
static_assert(offsetof(SlotRecord, padding) == 530);
static_assert(offsetof(SlotRecord, slotId) == 532);
static_assert(std::is_trivially_copyable_v<SlotRecord>);
static_assert(std::is_standard_layout_v<SlotRecord>);
// The text of a title or artist field, never reaching past the field's 260 bytes.
inline std::string_view FieldText(const char (&field)[MAX_PATH]) {
  return std::string_view(field, ::strnlen(field, MAX_PATH));
}

static_assert(std::endian::native == std::endian::little, "stored integers are little-endian");

}  // namespace ossen
