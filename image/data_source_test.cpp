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
#include "platform/win32/prefix.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

namespace fs = std::filesystem;

TEST(PointerSourceTest, LockingChangesNothingAndOnlyAnOwnedBlockIsFreed) {
  std::uint8_t bytes[6] = {1, 2, 3, 4, 5, 6};
  {
    PointerSource borrowed(bytes, sizeof bytes, false, true);
    borrowed.Lock();
    borrowed.Lock();
    borrowed.Unlock();
    EXPECT_EQ(borrowed.lockCount, 1);
    EXPECT_EQ(borrowed.data, bytes);
    EXPECT_EQ(borrowed.handle, 0u);
  }  // freeing the stack block would stop the sanitizer build
  // Not freeing the owned one would be reported by the leak checker.
  PointerSource owner(GlobalBlockAlloc(64), 64, true, false);
  EXPECT_EQ(owner.handle, 1u);
}

TEST(GlobalBlockSourceTest, FixedBlockIsAddressableThroughoutAndLockingOnlyCounts) {
  GlobalBlockSource source(100, true);
  ASSERT_EQ(source.kind, DataSource::kGlobalBlock);
  ASSERT_NE(source.data, nullptr);
  EXPECT_EQ(source.handle, reinterpret_cast<std::uintptr_t>(source.data));  // the handle is the address
  std::uint8_t* address = source.data;
  source.Unlock();
  EXPECT_EQ(source.data, address);
  source.Lock();
  source.Lock();
  EXPECT_EQ(source.lockCount, 2);
  EXPECT_EQ(source.data, address);

  GlobalBlockSource empty(0, true);
  EXPECT_NE(empty.data, nullptr);
  EXPECT_EQ(empty.size, 0u);
}  // both destroyed with locks outstanding: released all the same (the leak checker watches)

TEST(GlobalBlockSourceTest, MovableBlockIsAddressableOnlyWhileLocked) {
  GlobalBlockSource source(16, false);
  ASSERT_NE(source.data, nullptr);  // locked once at construction
  std::uint8_t* address = source.data;
  address[0] = 42;
  source.Unlock();
  EXPECT_EQ(source.data, nullptr);
  source.Unlock();  // unbalanced: ignored, so the next Lock still makes it addressable
  EXPECT_EQ(source.lockCount, 0);
  source.Lock();
  source.Lock();
  source.Unlock();
  ASSERT_EQ(source.data, address);
  EXPECT_EQ(source.data[0], 42);
}

class WriteToFileTest : public ::testing::Test {
 protected:
  std::string Read(const std::string& hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  testing::TempPrefix prefix_;
};

TEST_F(WriteToFileTest, ReplacesAnyOldFileWithTheWholeBlock) {
  const std::string target = DriveCDir() + "/out.bin";
  std::ofstream(target) << std::string(1000, 'x');
  std::uint8_t bytes[5] = {'a', 'b', 0, 'c', 'd'};
  PointerSource source(bytes, sizeof bytes, false, true);
  EXPECT_EQ(source.WriteToFile("c:\\OUT.BIN"), 5u);
  EXPECT_EQ(Read(target), std::string("ab\0cd", 5));

  GlobalBlockSource movable(3, false);  // locked for the write, unaddressable again after
  std::memcpy(movable.data, "xyz", 3);
  movable.Unlock();
  EXPECT_EQ(movable.WriteToFile("C:\\moved.bin"), 3u);
  EXPECT_EQ(movable.data, nullptr);
  EXPECT_EQ(Read(DriveCDir() + "/moved.bin"), "xyz");
}

TEST_F(WriteToFileTest, NothingToWriteCreatesNoFile) {
  std::uint8_t byte = 1;
  PointerSource nothing(nullptr, 10, false, true);
  PointerSource empty(&byte, 0, false, true);
  DataSource base;
  EXPECT_EQ(nothing.WriteToFile("C:\\null.bin"), 0u);
  EXPECT_EQ(empty.WriteToFile("C:\\empty.bin"), 0u);
  EXPECT_EQ(base.WriteToFile("C:\\base.bin"), 0u);
  for (const char* name : {"/null.bin", "/empty.bin", "/base.bin"}) EXPECT_FALSE(fs::exists(DriveCDir() + name));
}

TEST_F(WriteToFileTest, FailuresAreNotReportedAsWritten) {
  std::uint8_t bytes[4] = {1, 2, 3, 4};
  PointerSource source(bytes, sizeof bytes, false, true);
  EXPECT_EQ(source.WriteToFile("C:\\no such folder\\x.bin"), 0u);
  EXPECT_EQ(source.WriteToFile("Q:\\x.bin"), 0u);  // a drive with no host folder
  EXPECT_EQ(source.WriteToFile(nullptr), 0u);
  if (fs::exists("/dev/full")) {
    EXPECT_EQ(source.WriteToFile("Z:\\dev\\full"), 0u);  // created, but every write fails
  }
}

}  // namespace
}  // namespace ossen
