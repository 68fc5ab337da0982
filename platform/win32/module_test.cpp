#include "platform/win32/module.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "platform/base/file_io.h"
#include "platform/win32/paths.h"
#include "product/product_names.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

namespace fs = std::filesystem;

// The loadable test module (platform/test/module_library.qrc) and what its files hold.
const char kLibraryPath[] = OSSEN_TEST_LIBRARY;
const std::string kA12P("BIN resource bytes\0\x01\x02\xff", 22);

std::vector<std::uint8_t> LibraryImage() {
  std::vector<std::uint8_t> bytes;
  EXPECT_EQ(ReadFileBytes(kLibraryPath, kMaxModuleFileBytes, bytes), ReadResult::kOk);
  return bytes;
}

std::string ResourceText(HMODULE module, const ResourceId& name, const ResourceId& type) {
  HRSRC found = FindResource(module, name, type);
  if (!found) return "<missing>";
  const void* bytes = LockResource(LoadResource(module, found));
  return std::string(static_cast<const char*>(bytes), SizeofResource(module, found));
}

void WriteImage(const std::string& hostPath, const std::vector<std::uint8_t>& image) {
  fs::create_directories(fs::path(hostPath).parent_path());
  ASSERT_TRUE(WriteFileAtomically(hostPath, image.data(), image.size()));
}

// Sets PATH for one test and puts it back afterwards.
class ScopedPath {
 public:
  explicit ScopedPath(const std::string& value) : old_(std::getenv("PATH") ? std::getenv("PATH") : "") {
    ::setenv("PATH", value.c_str(), 1);
  }
  ~ScopedPath() { ::setenv("PATH", old_.c_str(), 1); }

 private:
  std::string old_;
};

TEST(ResourceIdTest, TextsAreUpperCasedHashNumbersAreIdsAndNonNamesAreInvalid) {
  EXPECT_EQ(ResourceId("a12p").PathComponent(), "A12P");
  EXPECT_EQ(ResourceId(RT_STRING).PathComponent(), "#6");
  EXPECT_TRUE(ResourceId("#128").IsInteger());
  EXPECT_EQ(ResourceId("#128").Integer(), 128);
  EXPECT_EQ(ResourceId("#12a").PathComponent(), "#12A");  // not all digits: a text
  for (const ResourceId& id : {ResourceId(0), ResourceId(65536), ResourceId(static_cast<const char*>(nullptr)),
                               ResourceId(""), ResourceId("BIN/A12P"), ResourceId("#0"),
                               ResourceId(std::string("A\0B", 3))})
    EXPECT_EQ(id.PathComponent(), "");
}

TEST(ProgramModuleTest, CompiledInResourcesAreFoundThroughTheNullHandle) {
  HMODULE self = GetModuleHandle(nullptr);
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(GetModuleHandle("OssenDLL"), nullptr);
  EXPECT_EQ(ResourceText(self, "selftest", "bin"), "compiled into the test program");
  EXPECT_EQ(ResourceText(nullptr, "SELFTEST", "BIN"), "compiled into the test program");
  char text[64];
  EXPECT_EQ(LoadString(nullptr, 101, text, sizeof text), 17);
  EXPECT_STREQ(text, "Own module string");
  // The program's module never goes away.
  EXPECT_TRUE(FreeLibrary(self));
  EXPECT_EQ(ResourceText(self, "SELFTEST", "BIN"), "compiled into the test program");
  // A loaded module's resources are not the program's.
  EXPECT_EQ(FindResource(nullptr, "A12P", "BIN"), nullptr);
}

class ModuleSearchTest : public ::testing::Test {
 protected:
  testing::TempPrefix prefix_;
};

TEST_F(ModuleSearchTest, EachSearchPlaceFindsTheModuleInAnyCaseAndWithAnyExtension) {
  const std::vector<std::uint8_t> image = LibraryImage();
  const std::string pathFolder = prefix_.root() + "/on-path";
  const std::string userProgramFolder = HostPathFromWin(product::kUserProgramFolder);
  fs::create_directories(userProgramFolder);
  const std::vector<std::string> places{prefix_.programDir(), userProgramFolder, HostPathFromWin(kSystemDirectory),
                                        HostPathFromWin(kWindowsDirectory), pathFolder};
  ScopedPath path("/nonexistent:" + pathFolder);
  for (const std::string& place : places) {
    SCOPED_TRACE(place);
    WriteImage(place + "/testlib.RCC", image);
    for (const char* name : {"TestLib", "TESTLIB.dll", "testlib.rcc"}) {
      HMODULE module = LoadLibrary(name);
      ASSERT_NE(module, nullptr) << name;
      EXPECT_EQ(ResourceText(module, "A12P", "BIN"), kA12P);
      EXPECT_TRUE(FreeLibrary(module));
    }
    fs::remove(place + "/testlib.RCC");
  }
  EXPECT_EQ(LoadLibrary("TestLib"), nullptr);
}

TEST_F(ModuleSearchTest, TheExecutableFolderIsSearchedFirst) {
  const fs::path exeFolder = fs::read_symlink("/proc/self/exe").parent_path();
  const std::string name = "ExeFolderLib" + std::to_string(::getpid());
  WriteImage((exeFolder / (name + ".rcc")).string(), LibraryImage());
  // A damaged file of that name in the current folder is never reached.
  WriteImage(prefix_.programDir() + "/" + name + ".rcc", {'q', 'r', 'e', 's'});
  HMODULE module = LoadLibrary(name.c_str());
  fs::remove(exeFolder / (name + ".rcc"));
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(ResourceText(module, "A12P", "BIN"), kA12P);
  EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(ModuleSearchTest, TheFirstFileFoundDecidesEvenWhenItIsDamaged) {
  const std::vector<std::uint8_t> image = LibraryImage();
  std::vector<std::uint8_t> damaged(image.begin(), image.begin() + image.size() / 2);
  WriteImage(HostPathFromWin(kSystemDirectory) + "/TestLib.rcc", image);
  WriteImage(prefix_.programDir() + "/TestLib.rcc", damaged);
  EXPECT_EQ(LoadLibrary("TestLib"), nullptr);
  fs::remove(prefix_.programDir() + "/TestLib.rcc");
  HMODULE module = LoadLibrary("TestLib");
  EXPECT_NE(module, nullptr);
  EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(ModuleSearchTest, APathNamesThatFileOnly) {
  WriteImage(HostPathFromWin("C:\\Program Files\\Ossen\\Pictures.rcc"), LibraryImage());
  HMODULE module = LoadLibrary("C:\\PROGRAM FILES\\Ossen\\pictures.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_EQ(LoadLibrary("C:\\WINDOWS\\Pictures"), nullptr);
  EXPECT_EQ(LoadLibrary("Pictures"), nullptr);
  EXPECT_EQ(LoadLibrary(""), nullptr);
  EXPECT_EQ(LoadLibrary(nullptr), nullptr);
}

TEST_F(ModuleSearchTest, LoadingTwiceCountsAndTheLastFreeUnloads) {
  HMODULE first = LoadLibrary(kLibraryPath);
  HMODULE second = LoadLibrary(kLibraryPath);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(GetModuleHandle("testlib.DLL"), first);
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_EQ(ResourceText(second, "A12P", "BIN"), kA12P);
  EXPECT_TRUE(FreeLibrary(second));
  EXPECT_FALSE(FreeLibrary(second));
  EXPECT_FALSE(FreeLibrary(nullptr));
  EXPECT_EQ(GetModuleHandle("TestLib"), nullptr);
  EXPECT_EQ(FindResource(second, "A12P", "BIN"), nullptr);
}

// The lines of /proc/self/maps that map `hostPath`, each "start-end".
std::vector<std::pair<std::uintptr_t, std::uintptr_t>> MappingsOf(const std::string& hostPath) {
  std::vector<std::pair<std::uintptr_t, std::uintptr_t>> ranges;
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.size() < hostPath.size() || line.compare(line.size() - hostPath.size(), hostPath.size(), hostPath) != 0)
      continue;
    ranges.emplace_back(std::stoull(line, nullptr, 16), std::stoull(line.substr(line.find('-') + 1), nullptr, 16));
  }
  return ranges;
}

// A library file is mapped, not read into memory: its resources are the file's pages, a
// file renamed over it while it is loaded does not disturb it, and unloading unmaps it.
TEST_F(ModuleSearchTest, ALoadedFileIsMappedInPlaceUntilItIsFreed) {
  const std::string path = prefix_.programDir() + "/Mapped.rcc";
  WriteImage(path, LibraryImage());
  HMODULE module = LoadLibrary(path.c_str());
  ASSERT_NE(module, nullptr);
  const auto ranges = MappingsOf(fs::canonical(path).string());
  ASSERT_EQ(ranges.size(), 1u);
  HRSRC found = FindResource(module, "A12P", "BIN");
  ASSERT_NE(found, nullptr);
  const auto at = reinterpret_cast<std::uintptr_t>(LockResource(LoadResource(module, found)));
  EXPECT_GE(at, ranges[0].first);
  EXPECT_LE(at + SizeofResource(module, found), ranges[0].second);

  WriteImage(path, {'q', 'r', 'e', 's'});  // the way every tool of ours replaces a file
  EXPECT_EQ(ResourceText(module, "A12P", "BIN"), kA12P);

  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_TRUE(MappingsOf(fs::canonical(path).string() + " (deleted)").empty());
  EXPECT_TRUE(MappingsOf(fs::canonical(path).string()).empty());
}

// How many pages of [start, end) this process has mapped in now.
int ResidentPages(std::uintptr_t start, std::uintptr_t end) {
  const auto pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const int pagemap = ::open("/proc/self/pagemap", O_RDONLY | O_CLOEXEC);
  int present = 0;
  for (std::uintptr_t page = start; pagemap >= 0 && page < end; page += pageSize) {
    std::uint64_t entry = 0;
    const auto at = static_cast<off_t>(page / pageSize * sizeof entry);
    if (::pread(pagemap, &entry, sizeof entry, at) == sizeof entry && (entry >> 63) != 0) ++present;
  }
  if (pagemap >= 0) ::close(pagemap);
  return present;
}

// An idle process hands the pages of its loaded files back; what it reads next comes back
// from the file, unchanged, through the handles it already had.
TEST_F(ModuleSearchTest, EmptyingTheWorkingSetKeepsEveryResourceReadable) {
  const std::string path = prefix_.programDir() + "/Idle.rcc";
  WriteImage(path, LibraryImage());
  HMODULE module = LoadLibrary(path.c_str());
  ASSERT_NE(module, nullptr);
  const auto ranges = MappingsOf(fs::canonical(path).string());
  ASSERT_EQ(ranges.size(), 1u);
  EXPECT_EQ(ResourceText(module, "A12P", "BIN"), kA12P);
  EXPECT_GT(ResidentPages(ranges[0].first, ranges[0].second), 0);
  EmptyWorkingSet();
  EXPECT_EQ(ResidentPages(ranges[0].first, ranges[0].second), 0);
  EXPECT_EQ(ResourceText(module, "A12P", "BIN"), kA12P);
  EXPECT_TRUE(FreeLibrary(module));
  EmptyWorkingSet();  // with nothing loaded
}

TEST_F(ModuleSearchTest, FilesThatAreNotSoundModulesAreRefused) {
  const std::string folder = prefix_.programDir() + "/";
  const std::vector<std::uint8_t> image = LibraryImage();
  WriteImage(folder + "Cut.rcc", std::vector<std::uint8_t>(image.begin(), image.begin() + 40));
  WriteImage(folder + "Empty.rcc", {});
  WriteImage(folder + "Text.rcc", {'h', 'e', 'l', 'l', 'o'});
  fs::create_directories(folder + "Folder.rcc");
  { std::ofstream(folder + "Huge.rcc") << "qres"; }
  fs::resize_file(folder + "Huge.rcc", kMaxModuleFileBytes + 1);  // sparse: costs no disk
  for (const char* name : {"Cut", "Empty", "Text", "Folder", "Huge"}) EXPECT_EQ(LoadLibrary(name), nullptr) << name;
}

class ModuleResourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image_ = LibraryImage();
    module_ = LoadModuleFromImage(image_);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override { FreeLibrary(module_); }

  // Where `content` sits in the file, for checking that bytes are read in place.
  std::ptrdiff_t FileOffsetOf(const std::string& content) const {
    const void* at = ::memmem(image_.data(), image_.size(), content.data(), content.size());
    return at ? static_cast<const std::uint8_t*>(at) - image_.data() : -1;
  }

  std::vector<std::uint8_t> image_;
  HMODULE module_ = nullptr;
};

TEST_F(ModuleResourceTest, ResourcesByTextAndIntegerIdGiveTheirBytesAndSizes) {
  EXPECT_EQ(ResourceText(module_, "A12P", "BIN"), kA12P);
  EXPECT_EQ(ResourceText(module_, "a12p", "bin"), kA12P);
  std::string icon;
  for (int i = 0; i < 3 * 256; ++i) icon += static_cast<char>(i & 0xFF);
  EXPECT_EQ(ResourceText(module_, 128, RT_ICON), icon);
  EXPECT_EQ(ResourceText(module_, "#128", "#3"), icon);
  EXPECT_EQ(ResourceText(module_, MAKEINTRESOURCE(57344), RT_STRING), "Vintra Ossens Screen Savers");

  HRSRC empty = FindResource(module_, "EMPTY", "BIN");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SizeofResource(module_, empty), 0u);
  EXPECT_NE(LockResource(LoadResource(module_, empty)), nullptr);
}

TEST_F(ModuleResourceTest, BytesAreReadInPlaceAndStayPut) {
  HRSRC a12p = FindResource(module_, "A12P", "BIN");
  HRSRC icon = FindResource(module_, 128, RT_ICON);
  ASSERT_NE(a12p, nullptr);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(FindResource(module_, "a12p", "Bin"), a12p);
  const auto* a12pBytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(module_, a12p)));
  const auto* iconBytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(module_, icon)));
  EXPECT_EQ(LockResource(LoadResource(module_, a12p)), a12pBytes);
  // Both point into one copy of the file, as far apart as they are in it.
  std::string iconText(reinterpret_cast<const char*>(iconBytes), SizeofResource(module_, icon));
  ASSERT_GE(FileOffsetOf(kA12P), 0);
  EXPECT_EQ(iconBytes - a12pBytes, FileOffsetOf(iconText) - FileOffsetOf(kA12P));
  EXPECT_FALSE(FreeResource(LoadResource(module_, a12p)));
  EXPECT_EQ(LockResource(LoadResource(module_, a12p)), a12pBytes);
}

TEST_F(ModuleResourceTest, MissingOrForeignResourcesAreNull) {
  EXPECT_EQ(FindResource(module_, "A13P", "BIN"), nullptr);
  EXPECT_EQ(FindResource(module_, "A12P", RT_BITMAP), nullptr);
  EXPECT_EQ(FindResource(module_, "BIN", "#6"), nullptr);  // a folder, not a resource
  EXPECT_EQ(FindResource(module_, 129, RT_ICON), nullptr);
  EXPECT_EQ(FindResource(module_, "", "BIN"), nullptr);
  EXPECT_EQ(FindResource(module_, "A12P", static_cast<const char*>(nullptr)), nullptr);
  EXPECT_EQ(FindResource(module_, "SELFTEST", "BIN"), nullptr);  // the program's
  // This module holds "/ossen/BIN/SHADOW": neither the program's resource nor its own.
  EXPECT_EQ(FindResource(nullptr, "SHADOW", "BIN"), nullptr);
  EXPECT_EQ(FindResource(module_, "SHADOW", "BIN"), nullptr);
  HRSRC own = FindResource(nullptr, "SELFTEST", "BIN");
  EXPECT_EQ(SizeofResource(module_, own), 0u);  // a handle of another module
  EXPECT_EQ(LoadResource(module_, own), nullptr);
  EXPECT_EQ(SizeofResource(module_, nullptr), 0u);
  EXPECT_EQ(LockResource(nullptr), nullptr);
}

TEST_F(ModuleResourceTest, LoadStringCopiesWhatFitsAndTerminates) {
  char text[64];
  EXPECT_EQ(LoadString(module_, 57344, text, sizeof text), 27);
  EXPECT_STREQ(text, "Vintra Ossens Screen Savers");
  EXPECT_EQ(LoadString(module_, 57344, text, 7), 6);
  EXPECT_STREQ(text, "Vintra");
  EXPECT_EQ(LoadString(module_, 57344, text, 1), 0);
  EXPECT_STREQ(text, "");
  text[0] = 'x';
  EXPECT_EQ(LoadString(module_, 57344, text, 0), 0);
  EXPECT_EQ(text[0], 'x');
  EXPECT_EQ(LoadString(module_, 57344, nullptr, 10), 0);
  EXPECT_EQ(LoadString(module_, 57345, text, sizeof text), 6);  // text ends at its NUL
  EXPECT_STREQ(text, "Before");
  EXPECT_EQ(LoadString(module_, 1, text, sizeof text), 0);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(LoadString(module_, 0x10000 + 57344, text, sizeof text), 0);
}

// Damaged and hostile files are refused before Qt reads them (the fuzz target tries the rest).
class DamagedModuleTest : public ::testing::Test {
 protected:
  static bool Refused(std::vector<std::uint8_t> image) {
    HMODULE module = LoadModuleFromImage(std::move(image));
    if (module) FreeLibrary(module);
    return module == nullptr;
  }
  // The file with the big-endian word at `at` replaced.
  std::vector<std::uint8_t> With(std::size_t at, std::uint32_t value) const {
    std::vector<std::uint8_t> image = image_;
    for (int i = 0; i < 4; ++i) image[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    return image;
  }
  std::uint32_t Word(std::size_t at) const {
    return (std::uint32_t{image_[at]} << 24) | (image_[at + 1] << 16) | (image_[at + 2] << 8) | image_[at + 3];
  }

  std::vector<std::uint8_t> image_ = LibraryImage();
};

TEST_F(DamagedModuleTest, EveryTruncationIsRefused) {
  for (std::size_t length = 0; length < image_.size(); ++length)
    EXPECT_TRUE(Refused({image_.begin(), image_.begin() + static_cast<std::ptrdiff_t>(length)})) << length;
}

TEST_F(DamagedModuleTest, HeaderDamageIsRefused) {
  EXPECT_TRUE(Refused(With(0, 0x71726574u)));  // magic
  EXPECT_TRUE(Refused(With(4, 0)));            // versions
  EXPECT_TRUE(Refused(With(4, 4)));
  EXPECT_TRUE(Refused(With(8, static_cast<std::uint32_t>(image_.size()))));  // tree offset
  EXPECT_TRUE(Refused(With(8, 0xFFFFFFF0u)));  // negative to Qt
  EXPECT_TRUE(Refused(With(12, 0x80000000u))); // data offset
  EXPECT_TRUE(Refused(With(16, 0xFFFFFFFFu))); // names offset
  EXPECT_TRUE(Refused(With(20, 1)));           // compressed files
}

TEST_F(DamagedModuleTest, TreeDamageIsRefused) {
  const std::size_t tree = Word(8);
  const std::size_t nodes = (image_.size() - tree) / 22;
  EXPECT_TRUE(Refused(With(tree + 6, static_cast<std::uint32_t>(nodes))));  // too many children
  EXPECT_TRUE(Refused(With(tree + 6, 0x7FFFFFFF)));
  // The root claims every node, itself too: more links than nodes, as a loop gives.
  image_ = With(tree + 6, static_cast<std::uint32_t>(nodes));
  EXPECT_TRUE(Refused(With(tree + 10, 0)));
  image_ = LibraryImage();
  // Each node in turn: its name far away, its data far away, a compressed flag.
  for (std::size_t n = 1; n < nodes; ++n) {
    const std::size_t node = tree + n * 22;
    EXPECT_TRUE(Refused(With(node, 0x7FFFFFF0u))) << "name of node " << n;
    const bool directory = image_[node + 5] & 0x02;
    if (!directory) {
      EXPECT_TRUE(Refused(With(node + 10, static_cast<std::uint32_t>(image_.size())))) << "data of node " << n;
    }
    std::vector<std::uint8_t> compressed = image_;
    compressed[node + 5] |= 0x01;
    EXPECT_TRUE(Refused(compressed)) << "flags of node " << n;
  }
}

}  // namespace
}  // namespace ossen
