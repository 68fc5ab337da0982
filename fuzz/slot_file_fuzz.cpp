// data.bin bytes into the slot list: whatever the bytes, reading stays inside them, every
// record's texts are terminated, and writing the list back and reading it again gives the
// same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "schedule/slot_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ossen;
  SlotList list;
  if (!ParseSlotFile({data, size}, list)) {
    if (size != 0 || list.Count() != 0) std::abort();
    return 0;
  }
  if (static_cast<std::size_t>(list.Count()) > (size < 4 ? 0 : (size - 4) / kSlotRecordSize)) std::abort();
  for (int i = 0; i < list.Count(); ++i) {
    const SlotRecord* record = list.ItemData(i);
    if (record == nullptr) std::abort();
    if (::strnlen(record->title, MAX_PATH) >= MAX_PATH || ::strnlen(record->artist, MAX_PATH) >= MAX_PATH) std::abort();
    if (list.ItemText(i) != FieldText(record->artist)) std::abort();
  }

  const std::vector<std::uint8_t> written = SerializeSlots(list);
  if (written.size() != 4 + kSlotRecordSize * static_cast<std::size_t>(list.Count())) std::abort();
  SlotList reread;
  if (!ParseSlotFile(written, reread) || SerializeSlots(reread) != written) std::abort();
  return 0;
}
