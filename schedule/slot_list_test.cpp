#include "schedule/slot_list.h"

#include <gtest/gtest.h>

#include "schedule/test/schedule_test_support.h"

namespace ossen {
namespace {

using testing::MakeRecord;

TEST(SlotListTest, InsertFollowsListBoxIndexRules) {
  SlotList list;
  EXPECT_EQ(list.InsertItem(1, "beyond"), SlotList::LB_ERR);
  EXPECT_EQ(list.InsertItem(-2, "negative"), SlotList::LB_ERR);
  EXPECT_EQ(list.Count(), 0);

  EXPECT_EQ(list.InsertItem(-1, "b"), 0);
  EXPECT_EQ(list.InsertItem(-1, "c"), 1);
  EXPECT_EQ(list.InsertItem(0, "a"), 0);
  EXPECT_EQ(list.InsertItem(3, "d"), 3) << "the count itself is a valid place: the end";
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.ItemText(0), "a");
  EXPECT_EQ(list.ItemText(1), "b");
  EXPECT_EQ(list.ItemText(2), "c");
  EXPECT_EQ(list.ItemText(3), "d");
  EXPECT_EQ(list.ItemText(4), "");
  EXPECT_EQ(list.ItemText(-1), "");
}

TEST(SlotListTest, ItemDataOutsideTheListIsNoSlot) {
  SlotList list;
  EXPECT_EQ(list.ItemData(0), nullptr);
  EXPECT_EQ(list.ItemData(-1), nullptr);
  list.InsertItem(-1, "x");
  EXPECT_EQ(list.ItemData(0), nullptr) << "an item without data holds no slot";
  EXPECT_EQ(list.SetItemData(0, MakeRecord(5, 100)), 0);
  ASSERT_NE(list.ItemData(0), nullptr);
  EXPECT_EQ(list.ItemData(0)->slotId, 5);
  EXPECT_EQ(list.ItemData(1), nullptr);
  EXPECT_EQ(list.SetItemData(1, MakeRecord(6, 100)), SlotList::LB_ERR);
  EXPECT_EQ(list.SetItemData(0, MakeRecord(7, 100)), 0);
  EXPECT_EQ(list.ItemData(0)->slotId, 7);
}

TEST(SlotListTest, DeleteFreesAndTakeHandsTheRecordBack) {
  SlotList list;
  for (int i = 0; i < 3; ++i) {
    list.InsertItem(-1, std::to_string(i));
    list.SetItemData(i, MakeRecord(i, i * 10));
  }
  EXPECT_EQ(list.DeleteItem(3), SlotList::LB_ERR);
  EXPECT_EQ(list.DeleteItem(-1), SlotList::LB_ERR);
  EXPECT_EQ(list.DeleteItem(0), 2);
  EXPECT_EQ(list.ItemText(0), "1");

  std::unique_ptr<SlotRecord> taken = list.TakeItem(0);
  ASSERT_NE(taken, nullptr);
  EXPECT_EQ(taken->slotId, 1);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.TakeItem(1), nullptr);

  // Re-inserting the taken record keeps it alive and reachable.
  list.InsertItem(-1, "1");
  SlotRecord* raw = taken.get();
  list.SetItemData(1, std::move(taken));
  EXPECT_EQ(list.ItemData(1), raw);
  EXPECT_EQ(list.IndexOf(raw), 1) << "found again by address after the move";

  list.ResetContent();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.IndexOf(raw), SlotList::LB_ERR) << "a freed record is never found";
  EXPECT_EQ(list.IndexOf(nullptr), SlotList::LB_ERR);
}

}  // namespace
}  // namespace ossen
