#include "platform/win32/profile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/base/trace.h"
#include "platform/win32/prefix.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteAll(const std::string& hostPath, const std::string& text) {
  std::ofstream(hostPath, std::ios::binary) << text;
}

std::string SystemIni() { return DriveCDir() + "/WINDOWS/system.ini"; }

constexpr char kSample[] =
    "; written by hand\r\n"
    "stray=before any section\r\n"
    "[boot]\r\n"
    "shell=Explorer.exe\r\n"
    "  SCRNSAVE.EXE = C:\\WINDOWS\\old.scr  \r\n"
    "odd line without equals\r\n"
    "\r\n"
    "[Boot.Description]\r\n"
    "title=\"quoted value\"\r\n"
    "single='x'\r\n"
    "mismatched=\"x'\r\n"
    "empty=\r\n"
    "[BOOT]\r\n"
    "shell=second copy\r\n"
    "late=from the second header\r\n";

TEST(ProfileText, SerializesUntouchedTextByteForByte) {
  for (std::string text : {std::string(kSample), std::string("[a]\nx=1\n\n[b]\ny=2"), std::string("a\r\nb\nc\r"),
                           std::string(), std::string("\n\n\r\n"), std::string("[a]\0x=1\n", 8)})
    EXPECT_EQ(ProfileText::Parse(text).Serialize(), text);
}

TEST(ProfileText, ReadsValuesAsWindowsDoes) {
  ProfileText profile = ProfileText::Parse(kSample);
  EXPECT_EQ(profile.Get("boot", "SCRNSAVE.EXE"), "C:\\WINDOWS\\old.scr");
  EXPECT_EQ(profile.Get(" BOOT ", "scrnsave.exe"), "C:\\WINDOWS\\old.scr");
  EXPECT_EQ(profile.Get("boot", "shell"), "Explorer.exe");  // the first one wins
  EXPECT_EQ(profile.Get("boot", "late"), "from the second header");
  EXPECT_EQ(profile.Get("boot.description", "title"), "quoted value");
  EXPECT_EQ(profile.Get("boot.description", "single"), "x");
  EXPECT_EQ(profile.Get("boot.description", "mismatched"), "\"x'");
  EXPECT_EQ(profile.Get("boot.description", "empty"), "");
  EXPECT_EQ(profile.Get("boot", "stray"), std::nullopt);
  EXPECT_EQ(profile.Get("boot", "odd line without equals"), std::nullopt);
  EXPECT_EQ(profile.Get("boot", "missing"), std::nullopt);
  EXPECT_EQ(profile.Get("nowhere", "shell"), std::nullopt);
  EXPECT_EQ(profile.SectionNames(), (std::vector<std::string>{"boot", "Boot.Description"}));
  EXPECT_EQ(profile.KeyNames("Boot"), (std::vector<std::string>{"shell", "SCRNSAVE.EXE", "late"}));
}

TEST(ProfileText, ChangesOnlyTheLinesItMust) {
  ProfileText profile = ProfileText::Parse(kSample);
  ASSERT_TRUE(profile.Set("BOOT", "scrnsave.exe", "C:\\ossen.scr"));
  ASSERT_TRUE(profile.Set("boot", "new", "1"));
  ASSERT_TRUE(profile.Set("Desktop", "Wallpaper", "ossen.bmp"));
  std::string expected(kSample);
  expected.replace(expected.find("C:\\WINDOWS\\old.scr  "), 20, "C:\\ossen.scr");
  expected.insert(expected.find("odd line"), "new=1\r\n");
  expected += "\r\n[Desktop]\r\nWallpaper=ossen.bmp\r\n";
  EXPECT_EQ(profile.Serialize(), expected);
}

TEST(ProfileText, KeepsTheFilesLineEndings) {
  ProfileText lf = ProfileText::Parse("[a]\nx=1");
  ASSERT_TRUE(lf.Set("a", "y", "2"));
  ASSERT_TRUE(lf.Set("b", "z", "3"));
  EXPECT_EQ(lf.Serialize(), "[a]\nx=1\ny=2\n\n[b]\nz=3\n");

  ProfileText fresh = ProfileText::Parse("");
  ASSERT_TRUE(fresh.Set("boot", "SCRNSAVE.EXE", "x"));
  EXPECT_EQ(fresh.Serialize(), "[boot]\r\nSCRNSAVE.EXE=x\r\n");

  // A file cut between CR and LF: the value has no CR in it, before or after a change.
  ProfileText cut = ProfileText::Parse("[a]\nx=1\r");
  EXPECT_EQ(cut.Get("a", "x"), "1");
  ASSERT_TRUE(cut.Set("a", "y", "2"));
  EXPECT_EQ(cut.Serialize(), "[a]\nx=1\r\ny=2\n");

  ProfileText headerOnly = ProfileText::Parse("[a]");
  ASSERT_TRUE(headerOnly.Set("A", "k", "v"));
  EXPECT_EQ(headerOnly.Serialize(), "[a]\r\nk=v\r\n");
}

TEST(ProfileText, RefusesWhatWouldNotReadBackTheSame) {
  ProfileText profile = ProfileText::Parse(kSample);
  EXPECT_FALSE(profile.Set("boot", "k", "one\r\n[evil]\r\nx=y"));
  EXPECT_FALSE(profile.Set("boot", "k", "one\ntwo"));
  EXPECT_FALSE(profile.Set("bo]ot", "k", "v"));
  EXPECT_FALSE(profile.Set("bo\not", "k", "v"));
  EXPECT_FALSE(profile.Set("", "k", "v"));
  EXPECT_FALSE(profile.Set("boot", "a=b", "v"));
  EXPECT_FALSE(profile.Set("boot", "[x]", "v"));
  EXPECT_FALSE(profile.Set("boot", ";x", "v"));
  EXPECT_FALSE(profile.Set("boot", "  ", "v"));
  EXPECT_EQ(profile.Serialize(), kSample);
}

TEST(ProfileText, DeletesKeysAndWholeSections) {
  ProfileText profile = ProfileText::Parse(kSample);
  EXPECT_TRUE(profile.DeleteKey("BOOT", "shell"));  // in both copies of the section
  EXPECT_EQ(profile.Get("boot", "shell"), std::nullopt);
  EXPECT_FALSE(profile.DeleteKey("boot", "shell"));
  EXPECT_TRUE(profile.DeleteSection("boot"));
  EXPECT_FALSE(profile.DeleteSection("boot"));
  EXPECT_EQ(profile.Serialize(),
            "; written by hand\r\n"
            "stray=before any section\r\n"
            "[Boot.Description]\r\n"
            "title=\"quoted value\"\r\n"
            "single='x'\r\n"
            "mismatched=\"x'\r\n"
            "empty=\r\n");
}

TEST(PrivateProfile, WritesIntoTheWindowsFolderAndReadsBack) {
  testing::TempPrefix temp;
  ASSERT_TRUE(WritePrivateProfileString("boot", "SCRNSAVE.EXE", "C:\\OSSEN\\ossen.scr", "system.ini"));
  EXPECT_EQ(ReadAll(SystemIni()), "[boot]\r\nSCRNSAVE.EXE=C:\\OSSEN\\ossen.scr\r\n");
  char buffer[MAX_PATH];
  EXPECT_EQ(GetPrivateProfileString("BOOT", "scrnsave.exe", "", buffer, sizeof buffer, "SYSTEM.INI"), 18u);
  EXPECT_STREQ(buffer, "C:\\OSSEN\\ossen.scr");
  EXPECT_EQ(GetPrivateProfileString("boot", "SCRNSAVE.EXE", "", buffer, sizeof buffer, "C:\\WINDOWS\\system.ini"),
            18u);

  // A path with a folder is taken as it is.
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "v", "local.ini"));
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "w", ".\\local.ini"));
  EXPECT_EQ(ReadAll(fs::current_path().string() + "/local.ini"), "[s]\r\nk=w\r\n");
  EXPECT_EQ(GetPrivateProfileString("s", "k", "", buffer, sizeof buffer, "local.ini"), 1u);
  EXPECT_EQ(GetPrivateProfileString("s", "k", "", buffer, sizeof buffer, ".\\local.ini"), 1u);
  EXPECT_FALSE(WritePrivateProfileString("s", "k", "v", "C:\\missing\\x.ini"));
  EXPECT_FALSE(WritePrivateProfileString("s", "k", "v", "D:\\x.ini"));
  EXPECT_FALSE(WritePrivateProfileString(nullptr, "k", "v", "x.ini"));
}

TEST(PrivateProfile, KeepsTheRestOfAnExistingFile) {
  testing::TempPrefix temp;
  PrefixDir();
  WriteAll(SystemIni(), kSample);
  ASSERT_TRUE(WritePrivateProfileString("Boot.Description", "empty", "filled", "system.ini"));
  std::string expected(kSample);
  expected.replace(expected.find("empty="), 6, "empty=filled");
  EXPECT_EQ(ReadAll(SystemIni()), expected);

  ASSERT_TRUE(WritePrivateProfileString("boot.description", "title", nullptr, "system.ini"));
  ASSERT_TRUE(WritePrivateProfileString("BOOT", nullptr, nullptr, "system.ini"));
  EXPECT_EQ(ReadAll(SystemIni()),
            "; written by hand\r\nstray=before any section\r\n[Boot.Description]\r\nsingle='x'\r\n"
            "mismatched=\"x'\r\nempty=filled\r\n");
  ASSERT_TRUE(WritePrivateProfileString("gone", nullptr, nullptr, "system.ini"));  // nothing to remove
  ASSERT_TRUE(WritePrivateProfileString("gone", nullptr, nullptr, "never.ini"));
  EXPECT_FALSE(fs::exists(DriveCDir() + "/WINDOWS/never.ini"));
  EXPECT_FALSE(WritePrivateProfileString("boot", "x", "a\r\n[boot]", "system.ini"));
}

TEST(PrivateProfile, CopiesIntoBuffersAsWin32Does) {
  testing::TempPrefix temp;
  PrefixDir();
  WriteAll(SystemIni(), "[one]\na=alpha\nbb=2\n[two]\n");
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(GetPrivateProfileString("one", "a", "", buffer, 4, "system.ini"), 3u);
  EXPECT_STREQ(buffer, "alp");
  EXPECT_EQ(buffer[4], '#');
  EXPECT_EQ(GetPrivateProfileString("one", "missing", "fallback  ", buffer, sizeof buffer, "system.ini"), 8u);
  EXPECT_STREQ(buffer, "fallback");
  EXPECT_EQ(GetPrivateProfileString("one", "missing", nullptr, buffer, sizeof buffer, "system.ini"), 0u);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(GetPrivateProfileString("one", "a", "", buffer, 0, "system.ini"), 0u);
  EXPECT_EQ(GetPrivateProfileString("one", "a", "", nullptr, 10, "system.ini"), 0u);
  EXPECT_EQ(GetPrivateProfileString("one", "a", "dflt", buffer, sizeof buffer, "absent.ini"), 4u);

  EXPECT_EQ(GetPrivateProfileString("one", nullptr, "", buffer, sizeof buffer, "system.ini"), 5u);
  EXPECT_EQ(std::string(buffer, 6), std::string("a\0bb\0\0", 6));
  EXPECT_EQ(GetPrivateProfileString(nullptr, nullptr, "", buffer, sizeof buffer, "system.ini"), 8u);
  EXPECT_EQ(std::string(buffer, 9), std::string("one\0two\0\0", 9));
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(GetPrivateProfileString(nullptr, nullptr, "", buffer, 6, "system.ini"), 4u);
  EXPECT_EQ(std::string(buffer, 7), std::string("one\0\0\0#", 7));
  EXPECT_EQ(GetPrivateProfileString("two", nullptr, "", buffer, sizeof buffer, "system.ini"), 0u);
  EXPECT_EQ(std::string(buffer, 2), std::string("\0\0", 2));
}

std::string lastTrace;
void RecordTrace(const char* line) { lastTrace = line; }

TEST(PrivateProfile, LeavesAnOversizedFileAlone) {
  testing::TempPrefix temp;
  PrefixDir();
  std::string huge = "[boot]\r\nshell=x\r\n" + std::string(kMaxProfileBytes, ';');
  WriteAll(SystemIni(), huge);
  TraceSink old = SetTraceSink(RecordTrace);
  lastTrace.clear();
  char buffer[32];
  EXPECT_EQ(GetPrivateProfileString("boot", "shell", "dflt", buffer, sizeof buffer, "system.ini"), 4u);
  EXPECT_STREQ(buffer, "dflt");
  EXPECT_NE(lastTrace.find("larger"), std::string::npos);
  EXPECT_FALSE(WritePrivateProfileString("boot", "shell", "y", "system.ini"));
  SetTraceSink(old);
  EXPECT_EQ(ReadAll(SystemIni()), huge);
}

TEST(PrivateProfile, WritersInTwoProcessesKeepEachOthersChanges) {
  testing::TempPrefix temp;
  PrefixDir();
  constexpr int kEach = 40;
  auto writeKeys = [](const char* who) {
    bool ok = true;
    for (int i = 0; i < kEach; ++i)
      ok = WritePrivateProfileString("shared", (std::string(who) + std::to_string(i)).c_str(), who, "shared.ini") && ok;
    return ok;
  };
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(writeKeys("child") ? 0 : 1);
  EXPECT_TRUE(writeKeys("parent"));
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  ProfileText profile = ProfileText::Parse(ReadAll(DriveCDir() + "/WINDOWS/shared.ini"));
  EXPECT_EQ(profile.KeyNames("shared").size(), 2u * kEach);
  EXPECT_EQ(profile.Get("shared", "child7"), "child");
  EXPECT_EQ(profile.Get("shared", "parent39"), "parent");
}

}  // namespace
}  // namespace ossen
