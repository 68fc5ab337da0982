#include "platform/draw/nearest_stepper.h"

#include <gtest/gtest.h>

#include <random>

namespace ossen {
namespace {

// Every step lands on first + floor(j * source / target) (first - that backwards), and
// skipping ahead lands where stepping does, also for spans far beyond a surface's size.
TEST(NearestStepper, StepsAndSkipsLandOnTheFlooredSourcePixel) {
  std::mt19937 rng(11);
  for (int round = 0; round < 300; ++round) {
    const std::int64_t source = 1 + rng() % (round < 200 ? 50 : 0x7FFFFFFF);
    const std::int64_t target = 1 + rng() % (round < 200 ? 50 : 0x7FFFFFFF);
    const std::int64_t first = static_cast<std::int64_t>(rng() % 1000) - 500;
    const bool backwards = round % 2 == 1;
    SCOPED_TRACE(::testing::Message() << source << " -> " << target << (backwards ? " backwards" : ""));
    const auto expected = [&](std::int64_t j) { return first + (backwards ? -1 : 1) * (j * source / target); };
    NearestStepper stepped(first, source, target, backwards);
    const std::int64_t walk = std::min<std::int64_t>(target, 200);
    for (std::int64_t j = 0; j < walk; ++j, stepped.Advance()) ASSERT_EQ(stepped.Column(), expected(j)) << j;
    const std::int64_t skip = static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(target));
    NearestStepper skipped(first, source, target, backwards);
    skipped.Skip(skip);
    EXPECT_EQ(skipped.Column(), expected(skip));
    if (skip + 1 < target) {
      skipped.Advance();
      EXPECT_EQ(skipped.Column(), expected(skip + 1));
    }
  }
}

}  // namespace
}  // namespace ossen
