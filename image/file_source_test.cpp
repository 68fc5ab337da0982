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

#include "platform/paths.h"
#include "platform/test/temp_prefix.h"
#include "platform/temp_files.h"

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

// The resident copy's marker: a fresh "OS_" temporary file, shared under the name.
std::unique_ptr<FileSource> CreateMarker(std::string* winPath = nullptr) {
  char name[MAX_PATH];
  if (MakeTempFileName("OS_", name) == 0) return nullptr;
  if (winPath) *winPath = name;
  return std::make_unique<FileSource>(10, name, true, kMarker, false, true);
}

FileSource ProbeMarker() { return FileSource(0, nullptr, false, kMarker, false, true); }

class FileSourceTest : public ::testing::Test {
 protected:
  testing::TempPrefix prefix_;
};

TEST_F(FileSourceTest, ExistingFileIsReadInPlace) {
  WriteHostFile("picture.bin", "painting");
  FileSource source(0, "PICTURE.BIN", false, nullptr, true, true);
  EXPECT_EQ(source.kind, DataSource::kFile);
  EXPECT_EQ(source.size, 8u);
  EXPECT_EQ(source.readOnly, 1);
  EXPECT_EQ(source.lockCount, 1);
  EXPECT_NE(source.handle, kInvalidHandleValue);
  EXPECT_NE(source.mapping, nullptr);
  EXPECT_EQ(source.mappingName, "");
  ASSERT_NE(source.data, nullptr);
  EXPECT_EQ(Text(source), "painting");

  source.Unlock();
  EXPECT_EQ(source.data, nullptr);
  EXPECT_EQ(source.mapping, nullptr);
  EXPECT_EQ(source.lockCount, 0);
  source.Lock();
  source.Lock();
  EXPECT_EQ(source.lockCount, 2);
  ASSERT_NE(source.data, nullptr);
  EXPECT_EQ(Text(source), "painting");
}

TEST_F(FileSourceTest, WritableFileIsChangedThroughTheView) {
  WriteHostFile("data.bin", "0000");
  {
    FileSource source(0, "data.bin", false, nullptr, false, false);
    ASSERT_NE(source.data, nullptr);
    EXPECT_EQ(source.readOnly, 0);
    std::memcpy(source.data, "1234", 4);
  }
  EXPECT_EQ(ReadHostFile("data.bin"), "1234");
}

TEST_F(FileSourceTest, CreatedFileHasTheCreateSizeInZeros) {
  FileSource source(4096, "C:\\new.bin", false, nullptr, true, true);
  EXPECT_EQ(source.kind, DataSource::kFile);
  EXPECT_EQ(source.size, 4096u);
  EXPECT_EQ(source.readOnly, 0);  // a created file is always writable
  ASSERT_NE(source.data, nullptr);
  EXPECT_EQ(source.data[4095], 0);
  source.data[0] = 'x';
  EXPECT_EQ(fs::file_size(HostPathFromWin("C:\\new.bin")), 4096u);
}

TEST_F(FileSourceTest, FilesThatCannotBeOpenedLeaveAnUnusableSource) {
  for (const char* path : {"missing.bin", "C:\\WINDOWS", "Q:\\x.bin"}) {
    FileSource source(0, path, false, nullptr, true, true);
    EXPECT_EQ(source.kind, DataSource::kUnusable) << path;
    EXPECT_EQ(source.handle, kInvalidHandleValue) << path;
    EXPECT_EQ(source.data, nullptr) << path;
    EXPECT_EQ(source.mapping, nullptr) << path;
  }
  FileSource uncreatable(10, "C:\\no folder\\x.bin", true, nullptr, false, true);
  EXPECT_EQ(uncreatable.kind, DataSource::kUnusable);
  EXPECT_EQ(uncreatable.data, nullptr);

  // A temporary source that could not open the file must not delete it on the way out.
  WriteHostFile("locked.bin", "keep");
  fs::permissions("locked.bin", fs::perms::owner_read);
  if (::geteuid() != 0) {
    { FileSource denied(0, "locked.bin", true, nullptr, false, true); }
    EXPECT_EQ(ReadHostFile("locked.bin"), "keep");
  }
}

TEST_F(FileSourceTest, ZeroLengthFileOpensButDoesNotMap) {
  WriteHostFile("empty.bin", "");
  FileSource source(0, "empty.bin", false, nullptr, true, true);
  EXPECT_EQ(source.kind, DataSource::kFile);
  EXPECT_EQ(source.size, 0u);
  EXPECT_EQ(source.data, nullptr);
  EXPECT_EQ(source.lockCount, 1);
  EXPECT_EQ(source.WriteToFile("copy.bin"), 0u);
  EXPECT_FALSE(fs::exists("copy.bin"));
}

TEST_F(FileSourceTest, NoFileAndNoNameMapsNothingButCounts) {
  FileSource source(0, nullptr, false, nullptr, false, true);
  EXPECT_EQ(source.kind, DataSource::kFile);
  EXPECT_EQ(source.handle, kInvalidHandleValue);
  EXPECT_EQ(source.data, nullptr);
  EXPECT_EQ(source.lockCount, 1);
  source.Lock();
  EXPECT_EQ(source.lockCount, 2);
  EXPECT_EQ(source.mapping, nullptr);
}

TEST_F(FileSourceTest, NameThatNobodyHoldsYieldsNoData) {
  FileSource probe = ProbeMarker();
  EXPECT_EQ(probe.kind, DataSource::kFile);
  EXPECT_EQ(probe.mappingName, kMarker);
  EXPECT_EQ(probe.data, nullptr);
  EXPECT_EQ(probe.mapping, nullptr);
}

TEST_F(FileSourceTest, MarkerIsSharedWhileItsOwnerLivesAndGoesWithIt) {
  std::string tempName;
  auto marker = CreateMarker(&tempName);
  ASSERT_TRUE(marker);
  ASSERT_NE(marker->data, nullptr);
  EXPECT_EQ(marker->size, 10u);
  EXPECT_FALSE(marker->mappingExisted);
  EXPECT_EQ(tempName.substr(0, std::strlen("C:\\WINDOWS\\TEMP\\OS_")), "C:\\WINDOWS\\TEMP\\OS_");
  const std::string hostTemp = HostPathFromWin(tempName);
  std::memcpy(marker->data, "\x78\x56\x34\x12", 4);

  {
    FileSource probe = ProbeMarker();
    ASSERT_NE(probe.data, nullptr);
    EXPECT_EQ(probe.size, 10u);
    EXPECT_EQ(std::memcmp(probe.data, "\x78\x56\x34\x12\0\0\0\0\0\0", 10), 0);
  }
  // A second resident copy learns at creation that it is not the first.
  auto second = CreateMarker();
  ASSERT_TRUE(second);
  EXPECT_TRUE(second->mappingExisted);
  ASSERT_NE(second->data, nullptr);
  EXPECT_EQ(second->data[0], 0x78);
  second.reset();
  EXPECT_NE(ProbeMarker().data, nullptr);

  // Destroyed with locks outstanding: the name, the mapping and the temporary file all go.
  marker->Lock();
  marker->Lock();
  marker.reset();
  EXPECT_EQ(ProbeMarker().data, nullptr);
  EXPECT_FALSE(fs::exists(hostTemp));
}

TEST_F(FileSourceTest, MarkerOfAnotherProcessEndsWithItEvenWhenKilled) {
  for (bool kill : {false, true}) {
    int ready[2], done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    pid_t child = ::fork();
    if (child == 0) {
      std::string tempName;
      auto marker = CreateMarker(&tempName);
      if (!marker || !marker->data) ::_exit(2);
      std::memcpy(marker->data, "\x01\x02\x03\x04", 4);
      std::string host = HostPathFromWin(tempName) + "\n";
      if (::write(ready[1], host.data(), host.size()) != static_cast<ssize_t>(host.size())) ::_exit(3);
      char c;
      if (::read(done[0], &c, 1) != 1) ::_exit(4);
      marker.reset();
      ::_exit(0);
    }
    char buffer[MAX_PATH * 4] = {};
    ASSERT_GT(::read(ready[0], buffer, sizeof buffer - 1), 0);
    const std::string hostTemp(buffer, std::strcspn(buffer, "\n"));
    {
      FileSource probe = ProbeMarker();
      ASSERT_NE(probe.data, nullptr);
      EXPECT_EQ(probe.data[3], 0x04);
      probe.data[9] = 0x7F;  // the shared bytes are writable from here too
    }
    if (kill) {
      ::kill(child, SIGKILL);
    } else {
      ASSERT_EQ(::write(done[1], "x", 1), 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(kill ? WIFSIGNALED(status) : WIFEXITED(status) && WEXITSTATUS(status) == 0, true);
    for (int fd : {ready[0], ready[1], done[0], done[1]}) ::close(fd);

    EXPECT_EQ(ProbeMarker().data, nullptr) << "killed " << kill;
    // A killed owner could not delete its file; the next resident copy clears it.
    EXPECT_EQ(fs::exists(hostTemp), kill);
    auto next = CreateMarker();
    ASSERT_TRUE(next);
    EXPECT_FALSE(next->mappingExisted);
    EXPECT_FALSE(fs::exists(hostTemp));
  }
}

TEST_F(FileSourceTest, ReadOnlyMarkerRefusesWritingOpeners) {
  WriteHostFile("shared.bin", "0123456789");
  FileSource owner(0, "shared.bin", false, "RO", true, true);
  ASSERT_NE(owner.data, nullptr);
  // Openers ask for write access, which a read-only mapping does not give.
  FileSource opener(0, nullptr, false, "RO", true, true);
  EXPECT_EQ(opener.data, nullptr);
}

TEST_F(FileSourceTest, WriteToFileCopiesTheMappedFile) {
  WriteHostFile("source.bin", "resource bytes");
  FileSource source(0, "source.bin", false, nullptr, true, true);
  EXPECT_EQ(source.WriteToFile("C:\\copy.bin"), 14u);
  EXPECT_EQ(ReadHostFile(HostPathFromWin("C:\\copy.bin")), "resource bytes");
  EXPECT_EQ(source.lockCount, 1);
}

}  // namespace
}  // namespace ossen
