#include "image/data_source.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "image/global_block.h"
#include "image/global_block_source.h"
#include "image/pointer_source.h"
#include "platform/prefix.h"
#include "platform/test/temp_prefix.h"

namespace ossen {
namespace {

namespace fs = std::filesystem;

std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(PointerSourceTest, ViewsTheBlockAndIgnoresLocking) {
  std::uint8_t bytes[6] = {1, 2, 3, 4, 5, 6};
  {
    PointerSource source(bytes, sizeof bytes, false, true);
    EXPECT_EQ(source.kind, DataSource::kPointer);
    EXPECT_EQ(source.data, bytes);
    EXPECT_EQ(source.size, 6u);
    EXPECT_EQ(source.lockCount, 1);
    EXPECT_EQ(source.readOnly, 1);
    EXPECT_EQ(source.handle, 0u);
    source.Lock();
    source.Lock();
    source.Unlock();
    EXPECT_EQ(source.lockCount, 1);
    EXPECT_EQ(source.data, bytes);
  }  // a borrowed block is left alone (the sanitizers would report a free of stack memory)
  EXPECT_EQ(bytes[5], 6);

  // An owned block goes back to the global heap; the leak checker sees that it does.
  void* block = GlobalBlockAlloc(64);
  PointerSource owner(block, 64, true, false);
  EXPECT_EQ(owner.handle, 1u);
  EXPECT_EQ(owner.readOnly, 0);
}

TEST(GlobalBlockSourceTest, FixedBlockIsAddressableFromTheStartAndLockingOnlyCounts) {
  GlobalBlockSource source(100, true);
  ASSERT_EQ(source.kind, DataSource::kGlobalBlock);
  ASSERT_NE(source.data, nullptr);
  EXPECT_EQ(source.size, 100u);
  EXPECT_EQ(source.fixed, 1);
  EXPECT_EQ(source.readOnly, 0);
  EXPECT_EQ(source.handle, reinterpret_cast<std::uintptr_t>(source.data));  // the handle is the address
  std::uint8_t* address = source.data;
  std::memset(address, 0xAB, 100);
  source.Unlock();
  EXPECT_EQ(source.lockCount, 0);
  EXPECT_EQ(source.data, address);
  source.Lock();
  source.Lock();
  EXPECT_EQ(source.lockCount, 2);
  EXPECT_EQ(source.data, address);
  EXPECT_EQ(source.data[99], 0xAB);
}  // destroyed with two locks outstanding: released all the same

TEST(GlobalBlockSourceTest, MovableBlockIsAddressableOnlyWhileLocked) {
  GlobalBlockSource source(16, false);
  ASSERT_NE(source.data, nullptr);  // locked once at construction
  EXPECT_EQ(source.lockCount, 1);
  std::uint8_t* address = source.data;
  address[0] = 42;
  source.Unlock();
  EXPECT_EQ(source.data, nullptr);
  EXPECT_EQ(source.lockCount, 0);
  source.Unlock();  // unbalanced: ignored, so the next Lock still maps
  EXPECT_EQ(source.lockCount, 0);
  source.Lock();
  ASSERT_EQ(source.data, address);
  EXPECT_EQ(source.data[0], 42);
  source.Lock();
  source.Unlock();
  EXPECT_NE(source.data, nullptr);
  EXPECT_EQ(source.lockCount, 1);
}

TEST(GlobalBlockSourceTest, EmptyBlockIsStillABlock) {
  GlobalBlockSource source(0, true);
  EXPECT_EQ(source.kind, DataSource::kGlobalBlock);
  EXPECT_NE(source.data, nullptr);
  EXPECT_EQ(source.size, 0u);
}

class WriteToFileTest : public ::testing::Test {
 protected:
  testing::TempPrefix prefix_;
};

TEST_F(WriteToFileTest, WritesTheWholeBlockOverAnyOldFile) {
  const std::string target = DriveCDir() + "/out.bin";
  { std::ofstream(target) << std::string(1000, 'x'); }
  std::uint8_t bytes[5] = {'a', 'b', 0, 'c', 'd'};
  PointerSource source(bytes, sizeof bytes, false, true);
  EXPECT_EQ(source.WriteToFile("c:\\OUT.BIN"), 5u);  // found in any case, replaced, cut to the block
  EXPECT_EQ(ReadHostFile(target), std::string("ab\0cd", 5));
}

TEST_F(WriteToFileTest, MovableBlockIsLockedForTheWriteAndUnlockedAfter) {
  GlobalBlockSource source(3, false);
  std::memcpy(source.data, "xyz", 3);
  source.Unlock();
  EXPECT_EQ(source.WriteToFile("C:\\moved.bin"), 3u);
  EXPECT_EQ(source.data, nullptr);
  EXPECT_EQ(source.lockCount, 0);
  EXPECT_EQ(ReadHostFile(DriveCDir() + "/moved.bin"), "xyz");
}

TEST_F(WriteToFileTest, NothingToWriteCreatesNoFile) {
  PointerSource nothing(nullptr, 10, false, true);
  EXPECT_EQ(nothing.WriteToFile("C:\\null.bin"), 0u);
  EXPECT_FALSE(fs::exists(DriveCDir() + "/null.bin"));

  std::uint8_t byte = 1;
  PointerSource empty(&byte, 0, false, true);
  EXPECT_EQ(empty.WriteToFile("C:\\empty.bin"), 0u);
  EXPECT_FALSE(fs::exists(DriveCDir() + "/empty.bin"));

  DataSource base;
  EXPECT_EQ(base.WriteToFile("C:\\base.bin"), 0u);
  EXPECT_FALSE(fs::exists(DriveCDir() + "/base.bin"));
}

TEST_F(WriteToFileTest, FailuresAreNotReportedAsWritten) {
  std::uint8_t bytes[4] = {1, 2, 3, 4};
  PointerSource source(bytes, sizeof bytes, false, true);
  EXPECT_EQ(source.WriteToFile("C:\\no such folder\\x.bin"), 0u);
  EXPECT_EQ(source.WriteToFile("Q:\\x.bin"), 0u);  // a drive with no host folder
  EXPECT_EQ(source.WriteToFile(nullptr), 0u);
  if (fs::exists("/dev/full")) {
    EXPECT_EQ(source.WriteToFile("Z:\\dev\\full"), 0u);  // every write fails
  }
}

}  // namespace
}  // namespace ossen
