// The scheduler clock with a clock the test sets, applying through the real engine on the
// real picture library: which slot is applied or asked about at which tick, where it
// moves, and what the question box may do to the list while it is open.
#include "engine/scheduler_clock.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/test/engine_test_support.h"
#include "schedule/local_time.h"
#include "schedule/slot_store.h"
#include "schedule/test/schedule_test_support.h"

namespace ossen {
namespace {

using testing::Exists;
using testing::MakeRecord;
using testing::PaintingLibrary;
using testing::RecordingHost;
using testing::ScopedTimeZone;
using testing::SettableClock;

std::uint32_t Local(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  std::uint32_t due = 0;
  EXPECT_TRUE(ComposeDueTime(LocalMoment{year, month, day, hour, minute, second}, due));
  return due;
}

// The book window as the clock sees it: it records every call, answers the question from
// a script, and applies through the real engine.
class ScriptedWindow : public ClockWindow {
 public:
  ScriptedWindow(SlotList& slots, const PaintingLibrary& library) : slots_(slots), library_(library) {}

  bool EditInProgress() const override { return editing; }
  void CommitPendingEdit() override {
    calls.push_back("commit");
    if (onCommit) onCommit();
  }
  void MakeSlotCurrent(int index) override {
    current = index;
    calls.push_back("current " + std::to_string(index));
  }
  bool AskApplyNow(const SlotRecord& slot) override {
    asked.push_back(slot.slotId);
    calls.push_back("ask " + std::to_string(slot.slotId));
    if (duringQuestion) duringQuestion();
    return answer;
  }
  void ApplySlot(int index) override {
    if (duringApply) duringApply();
    const SlotRecord* slot = slots_.ItemData(index);
    applied.push_back(slot != nullptr ? slot->slotId : -1);
    calls.push_back("apply " + std::to_string(index));
    ossen::ApplySlot(ApplyInputs{slots_, library_.programDir(), library_.library()}, host, index);
  }
  void FocusContentButton() override { calls.push_back("focus"); }
  void RedrawRows() override { calls.push_back("redraw"); }

  bool answer = false;
  bool editing = false;
  int current = -1;
  std::vector<int> asked;
  std::vector<int> applied;
  std::vector<std::string> calls;
  std::function<void()> duringQuestion;
  std::function<void()> duringApply;
  std::function<void()> onCommit;
  RecordingHost host;

 private:
  SlotList& slots_;
  const PaintingLibrary& library_;
};

class SchedulerClockTest : public ::testing::Test {
 protected:
  void SetUp() override { SetScreenSizeOverride(800, 600); }

  void Add(std::int32_t slotId, std::uint32_t due) { InsertSlot(slots_, MakeRecord(slotId, due)); }
  const SlotRecord* Find(std::int32_t slotId) const {
    for (int i = 0; i < slots_.Count(); ++i)
      if (slots_.ItemData(i)->slotId == slotId) return slots_.ItemData(i);
    return nullptr;
  }
  void Tick(std::uint32_t now) {
    clock_.Set(now);
    clock.OnTimer(timerOn_);
  }

  ScopedTimeZone zone_{"Europe/Berlin"};
  PaintingLibrary library_;
  SlotList slots_;
  SettableClock clock_;
  ScriptedWindow window_{slots_, library_};
  SchedulerClock clock{slots_, clock_, window_};
  bool timerOn_ = true;
};

TEST_F(SchedulerClockTest, DueExactlyNowIsAppliedWithoutAQuestionAndMovesAYearOn) {
  Add(5, Local(2027, 6, 1, 10));
  Add(7, Local(2027, 9, 1));
  Tick(Local(2027, 6, 1, 10));
  EXPECT_TRUE(window_.asked.empty());
  EXPECT_EQ(window_.applied, std::vector<int>{5});
  EXPECT_TRUE(Exists(library_.WallpaperHostPath()));
  EXPECT_EQ(Find(5)->dueTime, Local(2028, 6, 1, 10));
  EXPECT_EQ(slots_.ItemData(1)->slotId, 5) << "re-inserted in time order";
  EXPECT_EQ(window_.current, 1) << "and made current";
  const std::vector<std::string> expected = {"commit", "current 0", "apply 0", "focus", "current 1", "redraw"};
  EXPECT_EQ(window_.calls, expected);
  EXPECT_TRUE(clock.Idle());
}

TEST_F(SchedulerClockTest, AMomentBetweenTwoTicksArrivesUnasked) {
  Add(5, Local(2027, 6, 1, 10));
  Tick(Local(2027, 6, 1, 9, 59, 59));
  EXPECT_TRUE(window_.calls.empty()) << "not due yet";
  Tick(Local(2027, 6, 1, 10, 0, 1));
  EXPECT_TRUE(window_.asked.empty());
  EXPECT_EQ(window_.applied, std::vector<int>{5});
  EXPECT_TRUE(Exists(library_.WallpaperHostPath()));
  EXPECT_EQ(Find(5)->dueTime, Local(2028, 6, 1, 10));
}

TEST_F(SchedulerClockTest, AMomentNotWatchedIsAskedAboutAndNoStillMovesTheSlot) {
  // Each case: the ticks before the moment, then the tick that finds it passed.
  struct Case {
    const char* why;
    std::function<void()> before;
  };
  const std::uint32_t due = Local(2027, 6, 1, 10);
  const Case cases[] = {
      {"before the first tick (ossen was not running)", [] {}},
      {"while Timer was off",
       [&] {
         Tick(due - 3);
         clock.StopWatching();
       }},
      {"while the machine slept", [&] { Tick(due - 3600); }},
      {"while the person typed for longer than a tick gap",
       [&] {
         Tick(due - 1);
         window_.editing = true;
         for (std::uint32_t t = due + 1; t <= due + kLongestTickGapSeconds + 2; t += 2) Tick(t);
         window_.editing = false;
       }},
  };
  for (const Case& c : cases) {
    FreeSlots(slots_);
    window_.asked.clear();
    window_.applied.clear();
    clock.StopWatching();
    Add(5, due);
    c.before();
    EXPECT_TRUE(window_.asked.empty()) << c.why;
    window_.answer = false;
    Tick(std::max<std::uint32_t>(due + 1, static_cast<std::uint32_t>(clock_.Now()) + 2));
    EXPECT_EQ(window_.asked, std::vector<int>{5}) << c.why;
    EXPECT_TRUE(window_.applied.empty()) << c.why;
    EXPECT_EQ(Find(5)->dueTime, Local(2028, 6, 1, 10)) << c.why;
  }
  EXPECT_FALSE(Exists(library_.WallpaperHostPath())) << "No leaves the desktop unchanged";
}

TEST_F(SchedulerClockTest, WhileThePersonTypesTheClockWaitsThenAppliesUnasked) {
  Add(5, Local(2027, 6, 1, 10));
  Tick(Local(2027, 6, 1, 9, 59, 59));
  window_.editing = true;
  Tick(Local(2027, 6, 1, 10, 0, 1));
  Tick(Local(2027, 6, 1, 10, 0, 3));
  EXPECT_TRUE(window_.calls.empty()) << "neither commit nor current slot while an edit is in progress";
  window_.editing = false;
  Tick(Local(2027, 6, 1, 10, 0, 5));
  EXPECT_TRUE(window_.asked.empty());
  EXPECT_EQ(window_.applied, std::vector<int>{5});
}

TEST_F(SchedulerClockTest, AMomentThatCameWhileAnotherSlotWasInHandIsAsked) {
  Add(4, Local(2027, 5, 1));  // missed before the start: asked
  Add(5, Local(2027, 6, 1, 10, 0, 3));
  Add(6, Local(2027, 6, 1, 10, 0, 40));
  window_.answer = false;
  window_.duringQuestion = [&] {
    clock_.Set(Local(2027, 6, 1, 10, 0, 5));  // the box stood open past slot 5's moment
    window_.duringQuestion = nullptr;
  };
  Tick(Local(2027, 6, 1, 10));
  EXPECT_EQ(window_.asked, std::vector<int>{4});
  Tick(Local(2027, 6, 1, 10, 0, 6));
  EXPECT_EQ(window_.asked, (std::vector<int>{4, 5}));
  EXPECT_TRUE(window_.applied.empty());

  // The same for a painting being applied while another moment passes.
  window_.duringApply = [&] {
    clock_.Set(Local(2027, 6, 1, 10, 0, 42));
    window_.duringApply = nullptr;
  };
  Add(7, Local(2027, 6, 1, 10, 0, 41));
  Tick(Local(2027, 6, 1, 10, 0, 40));
  EXPECT_EQ(window_.applied, std::vector<int>{6});
  Tick(Local(2027, 6, 1, 10, 0, 44));
  EXPECT_EQ(window_.asked, (std::vector<int>{4, 5, 7}));
}

TEST_F(SchedulerClockTest, ThreeDaysLateYesAppliesAndTheSlotMovesToTheYearAfterTheCurrentOne) {
  // The slot was due on 1 June 2025; the program starts on 4 June 2027.
  Add(5, Local(2025, 6, 1, 10, 30, 15));
  window_.answer = true;
  Tick(Local(2027, 6, 4, 10, 30, 15));
  EXPECT_EQ(window_.asked, std::vector<int>{5});
  EXPECT_EQ(window_.applied, std::vector<int>{5});
  EXPECT_TRUE(Exists(library_.WallpaperHostPath()));
  EXPECT_TRUE(Exists(library_.StartupImageHostPath()));
  EXPECT_EQ(Find(5)->dueTime, Local(2028, 6, 1, 10, 30, 15)) << "the new year comes from today";
}

TEST_F(SchedulerClockTest, TwentyNinthOfFebruaryBecomesFirstOfMarchInAYearWithoutIt) {
  Add(5, Local(2028, 2, 29, 8));
  Tick(Local(2028, 2, 29, 8));
  EXPECT_EQ(Find(5)->dueTime, Local(2029, 3, 1, 8));
}

TEST_F(SchedulerClockTest, TimerOffAsksNothingAndOnAgainHandlesEverySecondMissedNeighbourPerTick) {
  for (int id = 1; id <= 5; ++id) Add(id, Local(2027, 3, id));
  timerOn_ = false;
  Tick(Local(2027, 4, 1));
  EXPECT_TRUE(window_.calls.empty());

  timerOn_ = true;
  Tick(Local(2027, 4, 1));
  EXPECT_EQ(window_.asked, (std::vector<int>{1, 3, 5})) << "each handled slot moves on, the walk skips its neighbour";
  Tick(Local(2027, 4, 1, 0, 0, 2));
  EXPECT_EQ(window_.asked, (std::vector<int>{1, 3, 5, 2}));
  Tick(Local(2027, 4, 1, 0, 0, 4));
  EXPECT_EQ(window_.asked, (std::vector<int>{1, 3, 5, 2, 4}));
  Tick(Local(2027, 4, 1, 0, 0, 6));
  EXPECT_EQ(window_.asked.size(), 5u) << "all moved to 2028";
  for (int id = 1; id <= 5; ++id) EXPECT_EQ(Find(id)->dueTime, Local(2028, 3, id));
}

TEST_F(SchedulerClockTest, TwoSlotsInTheSameSecondTheFirstIsAppliedTheSecondAskedNextTick) {
  Add(5, Local(2027, 6, 1, 10));
  Add(6, Local(2027, 6, 1, 10));  // the newest insertion comes first
  Tick(Local(2027, 6, 1, 10));
  EXPECT_EQ(window_.applied, std::vector<int>{6});
  EXPECT_TRUE(window_.asked.empty());
  Tick(Local(2027, 6, 1, 10, 0, 2));
  EXPECT_EQ(window_.asked, std::vector<int>{5});
}

TEST_F(SchedulerClockTest, TicksDuringTheQuestionDoNothing) {
  Add(5, Local(2027, 6, 1));
  Add(6, Local(2027, 6, 2));
  int nestedTicks = 0;
  window_.duringQuestion = [&] {
    EXPECT_FALSE(clock.Idle());
    ++nestedTicks;
    clock.OnTimer(true);
  };
  Tick(Local(2027, 7, 1));
  EXPECT_EQ(nestedTicks, 1) << "only slot 5 was asked at this tick";
  EXPECT_EQ(window_.asked, std::vector<int>{5});
  EXPECT_TRUE(clock.Idle());
}

TEST_F(SchedulerClockTest, TheAnswerAppliesToTheSlotAskedAboutWhereverItWentMeanwhile) {
  Add(5, Local(2027, 6, 1));
  Add(6, Local(2027, 6, 2));
  Add(7, Local(2027, 6, 3));
  window_.answer = true;
  window_.duringQuestion = [&] {
    // The user moves slot 7 before the asked one while the box is open.
    std::unique_ptr<SlotRecord> moved = slots_.TakeItem(2);
    moved->dueTime = Local(2026, 1, 1);
    InsertSlot(slots_, std::move(moved));
    window_.duringQuestion = nullptr;
  };
  Tick(Local(2027, 6, 1, 0, 0, 1));
  ASSERT_FALSE(window_.applied.empty());
  EXPECT_EQ(window_.applied[0], 5);
  EXPECT_EQ(Find(5)->dueTime, Local(2028, 6, 1));
  EXPECT_EQ(Find(7)->dueTime, Local(2026, 1, 1)) << "the moved slot was left as the user set it";
}

TEST_F(SchedulerClockTest, ASlotFreedDuringTheQuestionIsNeitherAppliedNorRead) {
  Add(5, Local(2027, 6, 1));
  Add(6, Local(2027, 6, 2));
  window_.answer = true;
  window_.duringQuestion = [&] { FreeSlots(slots_); };  // Exit while the box is open
  Tick(Local(2027, 7, 1));
  EXPECT_EQ(window_.asked, std::vector<int>{5});
  EXPECT_TRUE(window_.applied.empty());
  EXPECT_EQ(slots_.Count(), 0);
  EXPECT_TRUE(clock.Idle());
}

TEST_F(SchedulerClockTest, APendingEditIsCommittedBeforeTheDueSlotBecomesCurrent) {
  Add(5, Local(2027, 6, 1));
  Add(9, Local(2027, 8, 1));
  window_.current = 1;
  // The pending edit moves the old current slot (9) to the front of the list.
  window_.onCommit = [&] {
    if (window_.current != 1) return;
    std::unique_ptr<SlotRecord> edited = slots_.TakeItem(1);
    edited->dueTime = Local(2027, 12, 24);
    InsertSlot(slots_, std::move(edited));
    window_.current = -1;
  };
  window_.answer = false;
  Tick(Local(2027, 6, 1, 0, 0, 1));
  ASSERT_GE(window_.calls.size(), 2u);
  EXPECT_EQ(window_.calls[0], "commit");
  EXPECT_EQ(window_.calls[1], "current 0");
  EXPECT_EQ(Find(9)->dueTime, Local(2027, 12, 24)) << "the edit went to the slot it was made in";
  EXPECT_EQ(Find(5)->dueTime, Local(2028, 6, 1));
}

TEST_F(SchedulerClockTest, MomentsPast2038AreHeldAndWhatCannotBeHeldIsNeverAskedAgain) {
  Add(5, Local(2037, 6, 1));
  Tick(Local(2037, 6, 1));
  EXPECT_EQ(Find(5)->dueTime, Local(2038, 6, 1));
  EXPECT_GT(Find(5)->dueTime, std::uint32_t{INT32_MAX});

  // In 2105 the next year is beyond what a due time holds: the slot goes to the latest
  // moment and stays quiet.
  FreeSlots(slots_);
  Add(6, Local(2105, 6, 1));
  Tick(Local(2105, 6, 1));
  EXPECT_EQ(Find(6)->dueTime, kLatestDueTime);
  const std::size_t calls = window_.calls.size();
  Tick(Local(2105, 6, 1, 0, 0, 2));
  Tick(Local(2105, 12, 1));
  EXPECT_EQ(window_.calls.size(), calls);
}

TEST_F(SchedulerClockTest, AClockBeyondWhatADueTimeHoldsAsksNothing) {
  Add(5, Local(2027, 6, 1));
  clock_.Set(std::int64_t{kLatestDueTime} + 10);
  clock.OnTimer(true);
  clock_.Set(-5);
  clock.OnTimer(true);
  EXPECT_TRUE(window_.calls.empty());
}

}  // namespace
}  // namespace ossen
