#include "platform/base/cpu.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <limits>
#include <vector>

namespace ossen {
namespace {

constexpr std::size_t kPage = 4096;

// The pages (counted from the first boundary inside the block) that the offsets read.
std::vector<std::size_t> PagesRead(std::uintptr_t address, std::size_t length) {
  std::size_t skip = (kPage - address % kPage) % kPage;
  std::vector<std::size_t> pages;
  for (std::size_t offset : PageOffsetsToTouch(address, length, kPage)) {
    EXPECT_LT(offset, length);
    EXPECT_EQ((offset - skip) % kPage, 0u);
    pages.push_back((offset - skip) / kPage);
  }
  return pages;
}

TEST(TouchPages, ReadsPairsSixteenPagesApartInWholePages) {
  constexpr std::uintptr_t aligned = 0x10000;
  EXPECT_TRUE(PagesRead(aligned, 16 * kPage).empty());
  EXPECT_TRUE(PagesRead(aligned, 16 * kPage + kPage - 1).empty());  // a part page does not count
  EXPECT_EQ(PagesRead(aligned, 17 * kPage), (std::vector<std::size_t>{0, 16}));
  EXPECT_EQ(PagesRead(aligned, 20 * kPage), (std::vector<std::size_t>{0, 16, 1, 17, 2, 18, 3, 19}));
  // 18 pages and 2 bytes from one byte past a boundary: 17 whole pages remain.
  EXPECT_EQ(PagesRead(aligned + 1, 18 * kPage + 2), (std::vector<std::size_t>{0, 16}));
  EXPECT_EQ(PageOffsetsToTouch(aligned + 1, 18 * kPage + 2, kPage).front(), kPage - 1);
}

TEST(TouchPages, ShortOrOddBlocksTouchNothing) {
  EXPECT_TRUE(PageOffsetsToTouch(0x10001, 10, kPage).empty());  // ends before the next boundary
  EXPECT_TRUE(PageOffsetsToTouch(0x10001, kPage - 1, kPage).empty());
  EXPECT_TRUE(PageOffsetsToTouch(0x10000, 0, kPage).empty());
  EXPECT_TRUE(PageOffsetsToTouch(0x10000, 20 * kPage, 0).empty());
  EXPECT_TRUE(PageOffsetsToTouch(std::numeric_limits<std::uintptr_t>::max() - 100, 20 * kPage, kPage).empty());
  EXPECT_TRUE(PageOffsetsToTouch(0, std::numeric_limits<std::size_t>::max(), std::numeric_limits<std::size_t>::max()).empty());
}

TEST(TouchPages, ReadsARealBlock) {
  // A 1 at the start of every system page, 0 elsewhere: the sum of what is read counts the
  // reads that landed on a page's start.
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  std::vector<unsigned char> block(40 * page + 123, 0);
  const auto address = reinterpret_cast<std::uintptr_t>(block.data() + 5);
  const std::size_t skip = (page - address % page) % page;
  for (std::size_t at = 5 + skip; at < block.size(); at += page) block[at] = 1;
  // Whole pages from the first boundary, and one read of each pair for every page past the
  // first sixteen.
  const std::size_t wholePages = (block.size() - 5 - skip) / page;
  ASSERT_GT(wholePages, 16u);
  EXPECT_EQ(TouchPages(block.data() + 5, block.size() - 5), 2 * (wholePages - 16));  // inside the block (sanitizers)
  EXPECT_EQ(TouchPages(block.data(), 3), 0u);
}

TEST(HasMmx, AnswersOneOrZero) {
  int mmx = HasMmx();
  EXPECT_TRUE(mmx == 0 || mmx == 1);
#if defined(__x86_64__)
  EXPECT_EQ(mmx, 1);  // every x86-64 processor has MMX
#endif
}

}  // namespace
}  // namespace ossen
