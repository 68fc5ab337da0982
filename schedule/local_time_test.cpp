#include "schedule/local_time.h"

#include <climits>

#include <gtest/gtest.h>

#include "schedule/crt_rand.h"
#include "schedule/test/schedule_test_support.h"

namespace ossen {
namespace {

using testing::ScopedTimeZone;
using testing::UtcMoment;

LocalMoment Moment(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return LocalMoment{year, month, day, hour, minute, second};
}

TEST(CrtRandTest, FollowsTheRunTimeLibrarySequenceFromStateOne) {
  CrtRand rand;
  const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
  for (int value : expected) EXPECT_EQ(rand.Next(), value);
}

TEST(LocalTimeTest, ComposesLocalFieldsAndBreaksThemDownAgain) {
  ScopedTimeZone zone("Europe/Berlin");
  std::uint32_t due = 0;
  ASSERT_TRUE(ComposeDueTime(Moment(2027, 5, 7), due));
  EXPECT_EQ(due, UtcMoment(2027, 5, 6, 22));  // summer time: UTC+2
  ASSERT_TRUE(ComposeDueTime(Moment(2027, 1, 7, 13, 45, 30), due));
  EXPECT_EQ(due, UtcMoment(2027, 1, 7, 12, 45, 30));  // winter time: UTC+1

  LocalMoment back;
  ASSERT_TRUE(BreakDownMoment(due, back));
  EXPECT_EQ(back.year, 2027);
  EXPECT_EQ(back.month, 1);
  EXPECT_EQ(back.day, 7);
  EXPECT_EQ(back.hour, 13);
  EXPECT_EQ(back.minute, 45);
  EXPECT_EQ(back.second, 30);
}

TEST(LocalTimeTest, RefusesMomentsADueTimeCannotHold) {
  ScopedTimeZone zone("Europe/Berlin");
  std::uint32_t due = 12345;
  EXPECT_FALSE(ComposeDueTime(Moment(2107, 6, 1), due));
  EXPECT_FALSE(ComposeDueTime(Moment(1900, 6, 1), due));
  // Midnight of 1 January 1970 in Berlin is 23:00 UTC the day before.
  EXPECT_FALSE(ComposeDueTime(Moment(1970, 1, 1), due));
  // 2106-02-07 06:28:16 UTC is 07:28:16 in Berlin: one second too late.
  EXPECT_FALSE(ComposeDueTime(Moment(2106, 2, 7, 7, 28, 16), due));
  EXPECT_FALSE(ComposeDueTime(Moment(INT_MIN, INT_MIN, 1), due));
  EXPECT_FALSE(ComposeDueTime(Moment(INT_MAX, 1, 1), due));
  EXPECT_EQ(due, 12345u) << "a refused moment leaves the due time alone";

  // The edges themselves are held.
  ASSERT_TRUE(ComposeDueTime(Moment(2106, 2, 7, 7, 28, 15), due));
  EXPECT_EQ(due, UINT32_MAX);
  ASSERT_TRUE(ComposeDueTime(Moment(1970, 1, 1, 1, 0, 0), due));
  EXPECT_EQ(due, 0u);
}

TEST(LocalTimeTest, MomentsFrom2038OnAreHeldWithoutWrapping) {
  ScopedTimeZone zone("Europe/Berlin");
  std::uint32_t due = 0;
  // One second past what a signed count could hold, and the rescheduling of a slot in 2040.
  ASSERT_TRUE(ComposeDueTime(Moment(2038, 1, 19, 4, 14, 8), due));
  EXPECT_EQ(due, std::uint32_t{INT32_MAX} + 1);
  ASSERT_TRUE(ComposeDueTime(Moment(2041, 3, 5, 10, 0, 0), due));
  EXPECT_EQ(static_cast<std::int64_t>(due), UtcMoment(2041, 3, 5, 9));
  LocalMoment back;
  ASSERT_TRUE(BreakDownMoment(due, back));
  EXPECT_EQ(back.year, 2041);
  EXPECT_EQ(back.month, 3);
  EXPECT_EQ(back.day, 5);
  EXPECT_EQ(back.hour, 10);
}

TEST(LocalTimeTest, NormalisesOutOfRangeFieldsLikeMktime) {
  ScopedTimeZone zone("Europe/Berlin");
  std::uint32_t due = 0;
  std::uint32_t expected = 0;
  ASSERT_TRUE(ComposeDueTime(Moment(2027, 2, 29), due));
  ASSERT_TRUE(ComposeDueTime(Moment(2027, 3, 1), expected));
  EXPECT_EQ(due, expected) << "29 February without a leap day is 1 March";

  ASSERT_TRUE(ComposeDueTime(Moment(2028, 2, 29), due));
  LocalMoment leap;
  ASSERT_TRUE(BreakDownMoment(due, leap));
  EXPECT_EQ(leap.month, 2);
  EXPECT_EQ(leap.day, 29);

  ASSERT_TRUE(ComposeDueTime(Moment(2027, 4, 31), due));
  ASSERT_TRUE(ComposeDueTime(Moment(2027, 5, 1), expected));
  EXPECT_EQ(due, expected);
  ASSERT_TRUE(ComposeDueTime(Moment(2027, 13, 1, 25, 75), due));
  ASSERT_TRUE(ComposeDueTime(Moment(2028, 1, 2, 2, 15), expected));
  EXPECT_EQ(due, expected);
}

TEST(LocalTimeTest, NonexistentLocalTimeInTheSpringGapGivesANeighbouringMoment) {
  ScopedTimeZone zone("Europe/Berlin");
  // On 28 March 2027 Berlin's clocks jump from 02:00 to 03:00.
  std::uint32_t due = 0;
  ASSERT_TRUE(ComposeDueTime(Moment(2027, 3, 28, 2, 30), due));
  EXPECT_GE(due, UtcMoment(2027, 3, 28, 0, 30));
  EXPECT_LE(due, UtcMoment(2027, 3, 28, 1, 30));
  LocalMoment back;
  ASSERT_TRUE(BreakDownMoment(due, back));
  EXPECT_EQ(back.day, 28);
  EXPECT_TRUE(back.hour == 1 || back.hour == 3) << back.hour;
  EXPECT_EQ(back.minute, 30);

  // The repeated hour in autumn is one of its two real moments.
  ASSERT_TRUE(ComposeDueTime(Moment(2027, 10, 31, 2, 30), due));
  EXPECT_TRUE(due == UtcMoment(2027, 10, 31, 0, 30) || due == UtcMoment(2027, 10, 31, 1, 30));
}

TEST(LocalTimeTest, BreaksDownAnyStoredDueTimeAndClockReading) {
  ScopedTimeZone zone("America/New_York");
  LocalMoment local;
  ASSERT_TRUE(BreakDownMoment(INT32_MIN, local));
  EXPECT_EQ(local.year, 1901);
  ASSERT_TRUE(BreakDownMoment(UtcMoment(2027, 1, 1, 3, 0), local));
  EXPECT_EQ(local.year, 2026);
  EXPECT_EQ(local.month, 12);
  EXPECT_EQ(local.day, 31);
  EXPECT_EQ(local.hour, 22);
  EXPECT_FALSE(BreakDownMoment(INT64_MAX, local));
}

}  // namespace
}  // namespace ossen
