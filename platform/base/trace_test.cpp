#include "platform/base/trace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace ossen {
namespace {

std::vector<std::string>* g_lines = nullptr;
void Collect(const char* line) { g_lines->push_back(line); }

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_lines = &lines_;
    old_ = SetTraceSink(&Collect);
  }
  void TearDown() override {
    SetTraceSink(old_);
    g_lines = nullptr;
  }
  std::vector<std::string> lines_;
  TraceSink old_ = nullptr;
};

TEST_F(TraceTest, FormatsLikePrintfAndCutsAt255Characters) {
  Trace("JPEG :\nCan't open %s\n", "C:\\x.jpg");
  std::string wide(400, 'w');
  Trace("%s", wide.c_str());
  ASSERT_EQ(lines_.size(), 2u);
  EXPECT_EQ(lines_[0], "JPEG :\nCan't open C:\\x.jpg\n");
  EXPECT_EQ(lines_[1], std::string(255, 'w'));
}

TEST_F(TraceTest, WritesToStandardErrorOnlyWhenAskedTo) {
  ::unsetenv("OSSEN_TRACE");
  ::testing::internal::CaptureStderr();
  Trace("quiet");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

  ::setenv("OSSEN_TRACE", "1", 1);
  ::testing::internal::CaptureStderr();
  Trace("loud %d", 7);
  Trace("already ends\n");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "loud 7\nalready ends\n");
  ::unsetenv("OSSEN_TRACE");
  EXPECT_EQ(lines_.size(), 3u);  // the sink sees every line either way
}

}  // namespace
}  // namespace ossen
