#include "schedule/slot_file.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "schedule/test/schedule_test_support.h"

namespace ossen {
namespace {

using testing::MakeRecord;
using Bytes = std::vector<std::uint8_t>;

// A file image: the count as given, then the records.
Bytes FileOf(std::int32_t count, const std::vector<SlotRecord>& records) {
  Bytes bytes(4);
  std::memcpy(bytes.data(), &count, 4);
  for (const SlotRecord& record : records) {
    const auto* raw = reinterpret_cast<const std::uint8_t*>(&record);
    bytes.insert(bytes.end(), raw, raw + sizeof record);
  }
  return bytes;
}

std::vector<SlotRecord> Records(int n) {
  std::vector<SlotRecord> records;
  for (int i = 0; i < n; ++i) records.push_back(*MakeRecord(i + 1, 1000 - i, ("Painter " + std::to_string(i)).c_str()));
  return records;
}

TEST(SlotFileTest, NoBytesAtAllAsksForTheDefaults) {
  SlotList list;
  list.InsertItem(-1, "stale");
  EXPECT_FALSE(ParseSlotFile({}, list));
  EXPECT_EQ(list.Count(), 0);
}

TEST(SlotFileTest, KeepsTheFilesOrderAndTexts) {
  const Bytes bytes = FileOf(3, Records(3));
  SlotList list;
  ASSERT_TRUE(ParseSlotFile(bytes, list));
  ASSERT_EQ(list.Count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(list.ItemData(i)->slotId, i + 1);
    EXPECT_EQ(list.ItemData(i)->dueTime, 1000 - i) << "descending times stay as stored";
    EXPECT_EQ(list.ItemText(i), "Painter " + std::to_string(i));
  }
  EXPECT_EQ(SerializeSlots(list), bytes);
}

TEST(SlotFileTest, ShortCountsAreReadLittleEndianAndHoldNoRecords) {
  for (const Bytes& bytes : {Bytes{36}, Bytes{1, 0}, Bytes{0xFF, 0xFF, 0xFF}, Bytes{0, 0, 0x80}}) {
    SlotList list;
    EXPECT_TRUE(ParseSlotFile(bytes, list)) << bytes.size();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(SerializeSlots(list), (Bytes{0, 0, 0, 0}));
  }
}

TEST(SlotFileTest, ZeroAndNegativeCountsGiveAnEmptyList) {
  for (std::int32_t count : {0, -1, INT32_MIN}) {
    SlotList list;
    EXPECT_TRUE(ParseSlotFile(FileOf(count, Records(2)), list));
    EXPECT_EQ(list.Count(), 0) << count;
  }
}

TEST(SlotFileTest, ACountBeyondTheBytesStopsAtTheLastWholeRecord) {
  Bytes bytes = FileOf(36, Records(3));
  bytes.resize(bytes.size() - 1);  // the third record is cut short
  SlotList list;
  ASSERT_TRUE(ParseSlotFile(bytes, list));
  EXPECT_EQ(list.Count(), 2);

  ASSERT_TRUE(ParseSlotFile(FileOf(INT32_MAX, Records(4)), list));
  EXPECT_EQ(list.Count(), 4);

  // Bytes after the counted records are not records.
  ASSERT_TRUE(ParseSlotFile(FileOf(1, Records(3)), list));
  EXPECT_EQ(list.Count(), 1);
}

TEST(SlotFileTest, UnterminatedTextsAreCutAtTheirFieldsLastByte) {
  std::vector<SlotRecord> records = Records(2);
  std::memset(records[0].title, 'T', MAX_PATH);
  std::memset(records[0].artist, 'A', MAX_PATH);
  SlotList list;
  ASSERT_TRUE(ParseSlotFile(FileOf(2, records), list));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(std::strlen(list.ItemData(0)->title), 259u);
  EXPECT_EQ(list.ItemText(0), std::string(259, 'A'));
  EXPECT_EQ(list.ItemData(1)->slotId, 2) << "the next record is untouched";
  EXPECT_EQ(list.ItemText(1), "Painter 1");
}

}  // namespace
}  // namespace ossen
