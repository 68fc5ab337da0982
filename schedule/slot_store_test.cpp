#include "schedule/slot_store.h"

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <sys/resource.h>
#include <vector>

#include <gtest/gtest.h>

#include "schedule/catalogue.h"
#include "schedule/local_time.h"
#include "schedule/slot_file.h"
#include "schedule/test/schedule_test_support.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

using testing::MakeRecord;
using testing::ScopedTimeZone;
using testing::SettableClock;
using testing::TempPrefix;
using testing::UtcMoment;

using Bytes = std::vector<std::uint8_t>;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::uint32_t LocalDue(int year, int month, int day) {
  std::uint32_t due = 0;
  EXPECT_TRUE(ComposeDueTime(LocalMoment{year, month, day, 0, 0, 0}, due));
  return due;
}

const SlotRecord* FindSlot(const SlotList& list, std::int32_t slotId) {
  for (int i = 0; i < list.Count(); ++i)
    if (list.ItemData(i) && list.ItemData(i)->slotId == slotId) return list.ItemData(i);
  return nullptr;
}

// Everything the default schedule promises, for a clock whose local year is `year`.
void ExpectDefaultSchedule(const SlotList& list, int year) {
  ASSERT_EQ(list.Count(), 36);
  const SlotRecord* last = list.ItemData(35);
  ASSERT_NE(last, nullptr);
  EXPECT_STREQ(last->title, "Windows Default");
  EXPECT_STREQ(last->artist, "Windows Default");
  EXPECT_EQ(last->slotId, 0);
  EXPECT_EQ(last->dueTime, LocalDue(2037, 12, 14));

  EXPECT_EQ(FindSlot(list, 1)->dueTime, LocalDue(year + 1, 5, 7));
  EXPECT_EQ(FindSlot(list, 2)->dueTime, LocalDue(year + 1, 5, 18));
  EXPECT_EQ(FindSlot(list, 3)->dueTime, LocalDue(year + 1, 7, 27));

  std::set<std::int32_t> ids;
  for (int i = 0; i < list.Count(); ++i) {
    const SlotRecord* record = list.ItemData(i);
    ASSERT_NE(record, nullptr);
    ids.insert(record->slotId);
    EXPECT_EQ(list.ItemText(i), record->artist);
    EXPECT_EQ(record->elements, 7);
    EXPECT_EQ(record->reserved, 0);
    if (i > 0) {
      EXPECT_LE(list.ItemData(i - 1)->dueTime, record->dueTime) << "ascending due time at " << i;
    }
    if (record->slotId == 0) continue;
    EXPECT_STREQ(record->artist, CatalogueArtists[record->slotId - 1]);
    EXPECT_STREQ(record->title, CatalogueTitles[record->slotId - 1]);
    LocalMoment due;
    ASSERT_TRUE(BreakDownMoment(record->dueTime, due));
    EXPECT_EQ(due.year, year + 1);
    EXPECT_GE(due.day, 1);
    EXPECT_LE(due.day, 28);
    EXPECT_EQ(due.hour + due.minute + due.second, 0) << "midnight";
  }
  EXPECT_EQ(ids.size(), 36u);
}

TEST(CatalogueTest, ThirtyFivePaintingsFitTheBooksColumnsAndShareSomePaintersAndTitles) {
  std::map<std::string, int> perArtist;
  std::map<std::string, int> perTitle;
  for (int i = 0; i < CatalogueCount; ++i) {
    EXPECT_GT(std::strlen(CatalogueArtists[i]), 0u);
    EXPECT_LE(std::strlen(CatalogueArtists[i]), 24u) << CatalogueArtists[i];
    EXPECT_LE(std::strlen(CatalogueTitles[i]), 57u) << CatalogueTitles[i];
    ++perArtist[CatalogueArtists[i]];
    ++perTitle[CatalogueTitles[i]];
  }
  int painterWithMany = 0, painterWithTwo = 0, sharedTitles = 0;
  for (const auto& [artist, count] : perArtist) {
    painterWithMany += count >= 3;
    painterWithTwo += count == 2;
  }
  for (const auto& [title, count] : perTitle) sharedTitles += count >= 2;
  EXPECT_GE(painterWithMany, 1);
  EXPECT_GE(painterWithTwo, 2);
  EXPECT_GE(sharedTitles, 1);
}

TEST(DefaultScheduleTest, DatesAreFixedAndFallInTheYearAfterTheClocksLocalYear) {
  ScopedTimeZone zone("Europe/Berlin");
  SettableClock clock(UtcMoment(2026, 6, 15, 12));
  SlotList list;
  BuildDefaultSlots(list, clock);
  ExpectDefaultSchedule(list, 2026);

  // Same clock, same schedule, byte for byte, however often it is made.
  SlotList again;
  BuildDefaultSlots(again, clock);
  EXPECT_EQ(SerializeSlots(list), SerializeSlots(again));
}

TEST(DefaultScheduleTest, TheYearIsTheLocalOneAtTheTurnOfTheYear) {
  // 23:30 UTC on New Year's Eve is already next year in Berlin, still this year in New York.
  SettableClock clock(UtcMoment(2026, 12, 31, 23, 30));
  {
    ScopedTimeZone zone("Europe/Berlin");
    SlotList list;
    BuildDefaultSlots(list, clock);
    ExpectDefaultSchedule(list, 2027);
  }
  {
    ScopedTimeZone zone("America/New_York");
    SlotList list;
    BuildDefaultSlots(list, clock);
    ExpectDefaultSchedule(list, 2026);
  }
}

TEST(DefaultScheduleTest, AClockIn2037GivesPaintingsDueIn2038WithoutWrapping) {
  ScopedTimeZone zone("Europe/Berlin");
  SettableClock clock(UtcMoment(2037, 6, 1));
  SlotList list;
  BuildDefaultSlots(list, clock);
  ASSERT_EQ(list.Count(), 36);
  EXPECT_EQ(list.ItemData(0)->slotId, 0) << "2037 comes before every 2038 date";
  EXPECT_EQ(FindSlot(list, 1)->dueTime, LocalDue(2038, 5, 7));
  EXPECT_GT(FindSlot(list, 1)->dueTime, std::uint32_t{INT32_MAX});
  for (int i = 1; i < 36; ++i) {
    EXPECT_LT(list.ItemData(i - 1)->dueTime, kLatestDueTime);
    EXPECT_LE(list.ItemData(i - 1)->dueTime, list.ItemData(i)->dueTime) << "unsigned order at " << i;
  }
}

TEST(DefaultScheduleTest, DatesBeyondWhatADueTimeHoldsBecomeTheLatestMoment) {
  ScopedTimeZone zone("Europe/Berlin");
  SettableClock clock(UtcMoment(2105, 6, 1));
  SlotList list;
  BuildDefaultSlots(list, clock);
  ASSERT_EQ(list.Count(), 36);
  EXPECT_EQ(list.ItemData(0)->slotId, 0) << "2037 is still earlier than the unreachable 2106 dates";
  int unreachable = 0;
  for (int i = 1; i < 36; ++i) {
    const std::uint32_t due = list.ItemData(i)->dueTime;
    if (due == kLatestDueTime) {
      ++unreachable;
      continue;
    }
    LocalMoment early;  // 1 to 7 February 2106 and January still fit
    ASSERT_TRUE(BreakDownMoment(due, early));
    EXPECT_EQ(early.year, 2106);
    EXPECT_LE(early.month, 2);
  }
  EXPECT_GT(unreachable, 30);
}

TEST(DefaultScheduleTest, SavedAsExactly19300BytesAndLoadedBackIdentically) {
  TempPrefix prefix;
  ScopedTimeZone zone("Europe/Berlin");
  SettableClock clock(UtcMoment(2026, 3, 1));
  SlotList list;
  EXPECT_EQ(LoadSlots(list, clock), SlotSource::kDefaults) << "no data.bin yet";
  ExpectDefaultSchedule(list, 2026);
  ASSERT_TRUE(SaveSlots(list));

  const Bytes file = ReadAll("data.bin");
  ASSERT_EQ(file.size(), 19300u);
  EXPECT_EQ(file[0], 36);
  EXPECT_EQ(file[1] | file[2] | file[3], 0);
  for (int k = 0; k < 36; ++k)
    EXPECT_EQ(std::memcmp(file.data() + 4 + 536 * k, list.ItemData(k), 536), 0) << "record " << k;

  // A later run, a year on: the file wins over the catalogue and keeps its order.
  clock.Set(UtcMoment(2027, 3, 1));
  SlotList loaded;
  EXPECT_EQ(LoadSlots(loaded, clock), SlotSource::kFile);
  ASSERT_EQ(loaded.Count(), 36);
  for (int k = 0; k < 36; ++k) {
    EXPECT_EQ(std::memcmp(loaded.ItemData(k), list.ItemData(k), 536), 0) << "record " << k;
    EXPECT_EQ(loaded.ItemText(k), list.ItemText(k));
  }
}

TEST(SlotStoreTest, FindInsertIndexPutsANewRecordBeforeEqualAndLaterOnes) {
  SlotList list;
  EXPECT_EQ(FindInsertIndex(list, 500), 0);
  EXPECT_EQ(InsertSlot(list, MakeRecord(1, 100)), 0);
  EXPECT_EQ(InsertSlot(list, MakeRecord(2, 300)), 1);
  EXPECT_EQ(FindInsertIndex(list, 50), 0);
  EXPECT_EQ(FindInsertIndex(list, 200), 1);
  EXPECT_EQ(FindInsertIndex(list, 400), 2);

  // Ties: the newest insertion comes first.
  EXPECT_EQ(InsertSlot(list, MakeRecord(3, 100, "Second")), 0);
  EXPECT_EQ(list.ItemData(0)->slotId, 3);
  EXPECT_EQ(list.ItemText(0), "Second");
  EXPECT_EQ(list.ItemData(1)->slotId, 1);
  EXPECT_EQ(InsertSlot(list, MakeRecord(4, 300)), 2);
  EXPECT_EQ(list.ItemData(3)->slotId, 2);
  EXPECT_EQ(InsertSlot(list, nullptr), SlotList::LB_ERR);
  EXPECT_EQ(list.Count(), 4);
}

TEST(SlotStoreTest, InsertionComparesDueTimesUnsigned) {
  SlotList list;
  InsertSlot(list, MakeRecord(1, 0x7FFFFFF0u));   // January 2038
  InsertSlot(list, MakeRecord(2, 0x80000010u));   // just past it
  EXPECT_EQ(FindInsertIndex(list, 0x80000000u), 1);
  EXPECT_EQ(FindInsertIndex(list, kLatestDueTime), 2);
  EXPECT_EQ(list.ItemData(0)->slotId, 1);
}

TEST(SlotStoreTest, ARescheduledRecordMovesToItsNewPlace) {
  SlotList list;
  for (int i = 1; i <= 5; ++i) InsertSlot(list, MakeRecord(i, i * 100));
  std::unique_ptr<SlotRecord> moved = list.TakeItem(1);
  moved->dueTime = 450;
  EXPECT_EQ(InsertSlot(list, std::move(moved)), 3);
  const int order[] = {1, 3, 4, 2, 5};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(list.ItemData(i)->slotId, order[i]);
}

TEST(SlotStoreTest, TogglingFlipsOneElementInMemoryUntilTheNextSave) {
  TempPrefix prefix;
  SlotList list;
  InsertSlot(list, MakeRecord(9, 100));
  EXPECT_TRUE(ToggleElement(list, 0, Element::Wallpaper));
  EXPECT_EQ(list.ItemData(0)->elements, 5);
  EXPECT_TRUE(ToggleElement(list, 0, Element::Wallpaper));
  EXPECT_EQ(list.ItemData(0)->elements, 7);
  EXPECT_TRUE(ToggleElement(list, 0, Element::Saver));
  EXPECT_TRUE(ToggleElement(list, 0, Element::Startup));
  EXPECT_EQ(list.ItemData(0)->elements, 2);
  EXPECT_FALSE(ToggleElement(list, 1, Element::Saver)) << "no current slot";
  EXPECT_FALSE(ToggleElement(list, -1, Element::Saver));

  ASSERT_TRUE(SaveSlots(list));
  SlotList loaded;
  LoadSlots(loaded, SettableClock());
  ASSERT_EQ(loaded.Count(), 1);
  EXPECT_EQ(loaded.ItemData(0)->elements, 2);
}

TEST(SlotStoreTest, MissingOrEmptyFileGivesTheDefaultSchedule) {
  TempPrefix prefix;
  SettableClock clock(UtcMoment(2026, 6, 1));
  SlotList list;
  EXPECT_EQ(LoadSlots(list, "elsewhere/data.bin", clock), SlotSource::kDefaults);
  EXPECT_EQ(list.Count(), 36);

  WriteAll("data.bin", {});
  EXPECT_EQ(LoadSlots(list, clock), SlotSource::kDefaults);
  EXPECT_EQ(list.Count(), 36);

  // There, but not readable as a file: the defaults stand in, and the caller is told so
  // that it never saves them over what may be the person's schedule.
  std::filesystem::create_directory("folder.bin");
  EXPECT_EQ(LoadSlots(list, "folder.bin", clock), SlotSource::kUnreadable) << "cannot be read as a file";
  EXPECT_EQ(list.Count(), 36);
}

TEST(SlotStoreTest, AZeroCountGivesAnEmptyListThatSavesAsFourBytes) {
  TempPrefix prefix;
  WriteAll("data.bin", {0, 0, 0, 0});
  SlotList list;
  EXPECT_EQ(LoadSlots(list, SettableClock(UtcMoment(2026, 6, 1))), SlotSource::kFile);
  EXPECT_EQ(list.Count(), 0);
  ASSERT_TRUE(SaveSlots(list));
  EXPECT_EQ(ReadAll("data.bin"), (Bytes{0, 0, 0, 0}));
}

TEST(SlotStoreTest, OversizedFileIsReadOnlyAsFarAsTheRecordsItCanGive) {
  TempPrefix prefix;
  const int stored = kMaxSlotFileRecords + 40;
  Bytes file(4 + 536 * static_cast<std::size_t>(stored));
  file[0] = static_cast<std::uint8_t>(stored & 0xFF);
  file[1] = static_cast<std::uint8_t>(stored >> 8);
  for (int k = 0; k < stored; ++k) file[4 + 536 * static_cast<std::size_t>(k) + 532] = static_cast<std::uint8_t>(k % 36);
  WriteAll("data.bin", file);

  SlotList list;
  EXPECT_EQ(LoadSlots(list, SettableClock()), SlotSource::kFile);
  ASSERT_EQ(list.Count(), kMaxSlotFileRecords);
  EXPECT_EQ(list.ItemData(kMaxSlotFileRecords - 1)->slotId, (kMaxSlotFileRecords - 1) % 36);
}

// Lets a write fail part-way, as a full disk would, for the life of the object.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = nullptr;
};

TEST(SlotStoreTest, AFailedSaveReportsItAndLeavesTheOldFileUntouched) {
  TempPrefix prefix;
  SlotList one;
  InsertSlot(one, MakeRecord(4, 1000));
  ASSERT_TRUE(SaveSlots(one));
  const Bytes before = ReadAll("data.bin");
  ASSERT_EQ(before.size(), 540u);

  SlotList full;
  BuildDefaultSlots(full, SettableClock(UtcMoment(2026, 6, 1)));
  {
    FileSizeLimit limit(1000);
    EXPECT_FALSE(SaveSlots(full));
  }
  EXPECT_EQ(ReadAll("data.bin"), before);
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(prefix.programDir())) ++entries;
  EXPECT_EQ(entries, 1) << "no temporary file is left behind";

  EXPECT_FALSE(SaveSlots(full, "no/such/folder/data.bin"));
}

}  // namespace
}  // namespace ossen
