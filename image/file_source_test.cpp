#include "image/file_source.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/win32/paths.h"
#include "platform/win32/temp_files.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

namespace fs = std::filesystem;

constexpr char kMarker[] = "OSSEN_RUNNING";

std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteHostFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Text(const DataSource& source) {
  return std::string(reinterpret_cast<const char*>(source.data), source.size);
}

// The resident copy's marker: a fresh "OS_" temporary file shared under the name.
std::unique_ptr<FileSource> CreateMarker(std::string* hostPath = nullptr) {
  char name[MAX_PATH];
  if (MakeTempFileName("OS_", name) == 0) return nullptr;
  if (hostPath) *hostPath = HostPathFromWin(name);
  return std::make_unique<FileSource>(10, name, true, kMarker, false, true);
}

// What every later start does: no file, only the name.
FileSource ProbeMarker() { return FileSource(0, nullptr, false, kMarker, false, true); }

class FileSourceTest : public ::testing::Test {
 protected:
  testing::TempPrefix prefix_;
};

TEST_F(FileSourceTest, ExistingFileIsReadInPlaceWhileLocked) {
  WriteHostFile("picture.bin", "painting");
  FileSource source(0, "PICTURE.BIN", false, nullptr, true, true);
  EXPECT_EQ(source.kind, DataSource::kFile);
  EXPECT_EQ(source.lockCount, 1);
  ASSERT_NE(source.data, nullptr);
  EXPECT_EQ(Text(source), "painting");
  EXPECT_EQ(source.WriteToFile("C:\\copy.bin"), 8u);
  EXPECT_EQ(ReadHostFile(HostPathFromWin("C:\\copy.bin")), "painting");

  source.Unlock();
  EXPECT_EQ(source.data, nullptr);
  EXPECT_EQ(source.mapping, nullptr);
  source.Lock();
  EXPECT_EQ(Text(source), "painting");
}

TEST_F(FileSourceTest, WritableFilesAreChangedThroughTheView) {
  WriteHostFile("data.bin", "0000");
  {
    FileSource existing(0, "data.bin", false, nullptr, false, false);
    ASSERT_NE(existing.data, nullptr);
    std::memcpy(existing.data, "1234", 4);
  }
  EXPECT_EQ(ReadHostFile("data.bin"), "1234");

  FileSource created(4096, "C:\\new.bin", false, nullptr, true, true);
  EXPECT_EQ(created.size, 4096u);
  EXPECT_EQ(created.readOnly, 0);  // a created file is always writable
  ASSERT_NE(created.data, nullptr);
  created.data[4095] = 'x';
  EXPECT_EQ(fs::file_size(HostPathFromWin("C:\\new.bin")), 4096u);
}

TEST_F(FileSourceTest, FilesThatCannotBeOpenedLeaveAnUnusableSource) {
  for (const char* path : {"missing.bin", "C:\\WINDOWS", "Q:\\x.bin"}) {
    FileSource source(0, path, true, nullptr, true, true);
    EXPECT_EQ(source.kind, DataSource::kUnusable) << path;
    EXPECT_EQ(source.handle, kInvalidHandleValue) << path;
    EXPECT_EQ(source.data, nullptr) << path;
  }
  FileSource uncreatable(10, "C:\\no folder\\x.bin", true, nullptr, false, true);
  EXPECT_EQ(uncreatable.kind, DataSource::kUnusable);
  EXPECT_TRUE(fs::exists(HostPathFromWin("C:\\WINDOWS")));  // never deleted: it was not opened
}

TEST_F(FileSourceTest, ZeroLengthFileOpensButDoesNotMap) {
  WriteHostFile("empty.bin", "");
  FileSource source(0, "empty.bin", false, nullptr, true, true);
  EXPECT_EQ(source.kind, DataSource::kFile);
  EXPECT_EQ(source.size, 0u);
  EXPECT_EQ(source.data, nullptr);
  EXPECT_EQ(source.WriteToFile("copy.bin"), 0u);
  EXPECT_FALSE(fs::exists("copy.bin"));
}

TEST_F(FileSourceTest, WithoutAFileOnlyAHeldNameMaps) {
  FileSource nothing(0, nullptr, false, nullptr, false, true);
  EXPECT_EQ(nothing.kind, DataSource::kFile);
  EXPECT_EQ(nothing.data, nullptr);
  nothing.Lock();
  EXPECT_EQ(nothing.lockCount, 2);

  FileSource probe = ProbeMarker();
  EXPECT_EQ(probe.mappingName, kMarker);
  EXPECT_EQ(probe.data, nullptr);
  EXPECT_EQ(probe.mapping, nullptr);
}

TEST_F(FileSourceTest, MarkerIsSharedWhileItsOwnerLivesAndGoesWithIt) {
  std::string hostTemp;
  auto marker = CreateMarker(&hostTemp);
  ASSERT_TRUE(marker && marker->data);
  EXPECT_FALSE(marker->mappingExisted);
  std::memcpy(marker->data, "\x78\x56\x34\x12", 4);
  {
    FileSource probe = ProbeMarker();
    ASSERT_NE(probe.data, nullptr);
    EXPECT_EQ(probe.size, 10u);
    EXPECT_EQ(std::memcmp(probe.data, "\x78\x56\x34\x12\0\0\0\0\0\0", 10), 0);
  }
  auto second = CreateMarker();  // a second would-be resident copy learns it is not the first
  ASSERT_TRUE(second && second->data);
  EXPECT_TRUE(second->mappingExisted);
  EXPECT_EQ(second->data[0], 0x78);

  // Destroyed with locks outstanding: the name, the mapping and the temporary file all go.
  marker->Lock();
  marker->Lock();
  marker.reset();
  EXPECT_EQ(ProbeMarker().data, nullptr);
  EXPECT_FALSE(fs::exists(hostTemp));
}

TEST_F(FileSourceTest, MarkerOfAKilledProcessReadsAbsent) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t child = ::fork();
  if (child == 0) {
    std::string hostTemp;
    auto marker = CreateMarker(&hostTemp);
    hostTemp += '\n';
    if (marker && marker->data) (void)!::write(ready[1], hostTemp.data(), hostTemp.size());
    for (;;) ::pause();
  }
  char buffer[4 * MAX_PATH] = {};
  ASSERT_GT(::read(ready[0], buffer, sizeof buffer - 1), 0);
  const std::string hostTemp(buffer, std::strcspn(buffer, "\n"));
  EXPECT_NE(ProbeMarker().data, nullptr);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);

  EXPECT_EQ(ProbeMarker().data, nullptr);
  auto next = CreateMarker();  // the next resident copy, which clears the dead one's file
  ASSERT_TRUE(next);
  EXPECT_FALSE(next->mappingExisted);
  EXPECT_FALSE(fs::exists(hostTemp));
}

}  // namespace
}  // namespace ossen
