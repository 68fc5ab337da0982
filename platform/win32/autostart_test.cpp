#include "platform/win32/autostart.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "platform/win32/prefix.h"
#include "platform/win32/registry_helpers.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class AutostartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = fs::path(DriveCDir()) / "Program Files" / "Ossen" / "ossen";
    fs::create_directories(program_.parent_path());
    std::ofstream(program_) << "#!/bin/sh\n";
    fs::permissions(program_, fs::perms::owner_all);
    std::ofstream(Dir() / "user-own.desktop") << "[Desktop Entry]\nExec=x\n";
    std::ofstream(Dir() / "ossen-run-ossen.exe-00000000.desktop") << "X-Ossen-Prefix=/another/prefix\n";
  }

  fs::path Dir() const {
    fs::path dir = fs::path(prefix_.root()) / "config" / "autostart";
    fs::create_directories(dir);
    return dir;
  }

  // File name -> text of this prefix's entries (the two foreign files left out).
  std::map<std::string, std::string> OwnEntries() const {
    std::map<std::string, std::string> entries;
    for (const auto& file : fs::directory_iterator(Dir())) {
      std::string name = file.path().filename().string();
      if (name != "user-own.desktop" && name != "ossen-run-ossen.exe-00000000.desktop")
        entries[name] = ReadText(file.path());
    }
    return entries;
  }

  void ExpectForeignFilesKept() const {
    EXPECT_EQ(ReadText(Dir() / "user-own.desktop"), "[Desktop Entry]\nExec=x\n");
    EXPECT_EQ(ReadText(Dir() / "ossen-run-ossen.exe-00000000.desktop"), "X-Ossen-Prefix=/another/prefix\n");
  }

  static std::string ExecLine(const std::string& entry) {
    std::size_t start = entry.find("\nExec=");
    if (start == std::string::npos) return {};
    start += 6;
    return entry.substr(start, entry.find('\n', start) - start);
  }

  testing::TempPrefix prefix_;
  fs::path program_;
};

TEST_F(AutostartTest, RunValueBecomesAnEntryAndTheEmptyTextRemovesIt) {
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, "C:\\Program Files\\Ossen\\ossen.exe -h"), 1);
  auto entries = OwnEntries();
  ASSERT_EQ(entries.size(), 1u);
  const auto& [name, text] = *entries.begin();
  EXPECT_TRUE(name.starts_with("ossen-run-ossen.exe-") && name.ends_with(".desktop")) << name;
  EXPECT_EQ(ExecLine(text), "env OSSEN_PREFIX=" + prefix_.prefix() + " \"" + program_.string() + "\" -h");
  EXPECT_NE(text.find("\nName=ossen.exe\n"), std::string::npos);
  EXPECT_NE(text.find("\nX-Ossen-Prefix=" + prefix_.prefix() + "\n"), std::string::npos);
  EXPECT_TRUE(text.starts_with("[Desktop Entry]\nType=Application\n"));

  // Writing the same value again leaves the file; the empty text removes only ours.
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, "C:\\Program Files\\Ossen\\ossen.exe -h"), 1);
  EXPECT_EQ(OwnEntries(), entries);
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, ""), 1);
  EXPECT_TRUE(OwnEntries().empty());
  ExpectForeignFilesKept();

  // A value naming no program has no entry; other keys do not count.
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, "\\ossen.exe -h"), 1);
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kRunValue, "C:\\Program Files\\Ossen\\ossen.exe"), 1);
  EXPECT_TRUE(OwnEntries().empty());
}

TEST_F(AutostartTest, DeletingTheRunValueRemovesItsEntryAndNothingElse) {
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, "C:\\Program Files\\Ossen\\ossen.exe -h"), 1);
  ASSERT_EQ(OwnEntries().size(), 1u);
  HKEY run = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_ALL_ACCESS, &run), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValue(run, kRunValue), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValue(run, kRunValue), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueEx(run, kRunValue, nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  RegCloseKey(run);
  EXPECT_TRUE(OwnEntries().empty());
  ExpectForeignFilesKept();
}

TEST_F(AutostartTest, OddCharactersAreQuotedForTheDesktop) {
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, "odd \"name\"",
                           "\"C:\\Program Files\\Ossen\\ossen.exe\" \"50% \\\"quoted\\\"\" $HOME back\\slash 'x'"),
            1);
  auto entries = OwnEntries();
  ASSERT_EQ(entries.size(), 1u);
  const std::string& text = entries.begin()->second;
  // Exec quoting first ('"', '$', '\' escaped inside quotes, '%' doubled), then the
  // file's own escaping doubles every backslash.
  EXPECT_EQ(ExecLine(text), "env OSSEN_PREFIX=" + prefix_.prefix() + " \"" + program_.string() +
                                "\" \"50%% \\\\\"quoted\\\\\"\" \"\\\\$HOME\" \"back\\\\\\\\slash\" \"'x'\"");
  EXPECT_NE(text.find("\nName=odd \"name\"\n"), std::string::npos);
  EXPECT_EQ(entries.begin()->first.find('"'), std::string::npos);
  ExpectForeignFilesKept();
}

TEST_F(AutostartTest, DefaultPrefixNeedsNoEnvironment) {
  std::string data = prefix_.root() + "/data";
  const char* oldData = std::getenv("XDG_DATA_HOME");
  std::string savedData = oldData ? oldData : "";
  ::setenv("XDG_DATA_HOME", data.c_str(), 1);
  ::setenv("OSSEN_PREFIX", (data + "/ossen").c_str(), 1);
  program_ = fs::path(DriveCDir()) / "ossen";
  std::ofstream(program_) << "#!/bin/sh\n";
  fs::permissions(program_, fs::perms::owner_all);
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, "C:\\ossen.exe -h"), 1);
  if (oldData)
    ::setenv("XDG_DATA_HOME", savedData.c_str(), 1);
  else
    ::unsetenv("XDG_DATA_HOME");
  auto entries = OwnEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(ExecLine(entries.begin()->second), program_.string() + " -h");
}

}  // namespace
}  // namespace ossen
