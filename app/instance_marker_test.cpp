// The single-instance marker in this process: the creator's handle is what an opener reads,
// a second creator learns that the name is taken, and a gone creator reads as absent.
#include "app/instance_marker.h"

#include <chrono>

#include <gtest/gtest.h>

#include "app/theme_app.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

class InstanceMarkerTest : public ::testing::Test {
 protected:
  ossen::testing::TempPrefix prefix_;
};

TEST_F(InstanceMarkerTest, OpenerReadsTheHandleTheCreatorPublished) {
  EXPECT_EQ(OpenInstanceMarker()->data, nullptr);
  auto marker = CreateInstanceMarker();
  ASSERT_NE(marker->data, nullptr);
  EXPECT_FALSE(marker->mappingExisted);
  EXPECT_EQ(marker->size, kInstanceMarkerSize);

  auto opened = OpenInstanceMarker();
  ASSERT_NE(opened->data, nullptr);
  EXPECT_EQ(MarkerWindow(opened.get()), 0u) << "no handle before the window is initialised";
  StoreMarkerWindow(marker.get(), 0x12345678);
  EXPECT_EQ(MarkerWindow(opened.get()), 0x12345678u);
  for (std::uint32_t i = 4; i < kInstanceMarkerSize; ++i) EXPECT_EQ(opened->data[i], 0) << i;
}

TEST_F(InstanceMarkerTest, SecondCreatorFindsTheNameTakenAndSeesTheFirstOnesView) {
  auto first = CreateInstanceMarker();
  StoreMarkerWindow(first.get(), 42);
  auto second = CreateInstanceMarker();
  EXPECT_TRUE(second->mappingExisted);
  EXPECT_EQ(MarkerWindow(second.get()), 42u);
}

TEST_F(InstanceMarkerTest, GoneCreatorReadsAsAbsentAndFreesTheName) {
  auto first = CreateInstanceMarker();
  auto waiting = CreateInstanceMarker();
  ASSERT_TRUE(waiting->mappingExisted);
  first.reset();
  // The wait ends at once when the holder is gone, not after its whole time.
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForMarkerWindow(waiting.get(), 10000), 0u);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
  EXPECT_EQ(OpenInstanceMarker()->data, nullptr);
  waiting.reset();
  EXPECT_FALSE(CreateInstanceMarker()->mappingExisted);
}

TEST_F(InstanceMarkerTest, WithoutAViewNothingIsReadOrWritten) {
  FileSource none(0, nullptr, false, nullptr, false, true);
  EXPECT_EQ(MarkerWindow(&none), 0u);
  StoreMarkerWindow(&none, 7);  // must not write through the missing view
  EXPECT_EQ(MarkerWindow(nullptr), 0u);
}

TEST_F(InstanceMarkerTest, HolderThatNeverAnswersIsNotACopyOnceTheTimeRunsOut) {
  auto holder = CreateInstanceMarker();
  StoreMarkerWindow(holder.get(), 0x7FFFFFF0);  // a handle that no window answers
  ResidencyOutcome outcome = BecomeResidentOrWake(32771, 300);
  EXPECT_TRUE(outcome.resident);
}

TEST(CommandLineLetters, AnyCaseAnywhereCounts) {
  EXPECT_TRUE(ContainsLetter("-k", 'k'));
  EXPECT_TRUE(ContainsLetter("/K", 'k'));
  EXPECT_TRUE(ContainsLetter("C:\\Hello", 'h'));
  EXPECT_FALSE(ContainsLetter("-x /y", 'h'));
  EXPECT_FALSE(ContainsLetter("", 'k'));
}

}  // namespace
}  // namespace ossen
