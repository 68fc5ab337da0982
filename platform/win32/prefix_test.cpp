#include "platform/win32/prefix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

namespace fs = std::filesystem;

TEST(Prefix, FirstUseCreatesTheLayoutWithEmptyHives) {
  testing::TempPrefix temp;
  EXPECT_FALSE(fs::exists(temp.prefix()));
  EXPECT_EQ(PrefixDir(), temp.prefix());
  EXPECT_EQ(DriveCDir(), temp.prefix() + "/drive_c");
  for (const char* sub : {"drive_c/WINDOWS", "drive_c/WINDOWS/SYSTEM", "drive_c/WINDOWS/TEMP"})
    EXPECT_TRUE(fs::is_directory(temp.prefix() + "/" + sub)) << sub;
  for (const char* hive : {"system.reg", "user.reg"}) {
    std::ifstream in(temp.prefix() + "/" + hive, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "REGEDIT4\r\n\r\n") << hive;
  }
}

TEST(Prefix, FallsBackToTheXdgDataFolder) {
  testing::TempPrefix temp;
  ::unsetenv("OSSEN_PREFIX");
  std::string oldXdg = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
  ::setenv("XDG_DATA_HOME", (temp.root() + "/xdg/").c_str(), 1);
  EXPECT_EQ(PrefixDir(), temp.root() + "/xdg/ossen");
  EXPECT_TRUE(fs::is_directory(temp.root() + "/xdg/ossen/drive_c/WINDOWS/TEMP"));
  if (oldXdg.empty()) ::unsetenv("XDG_DATA_HOME"); else ::setenv("XDG_DATA_HOME", oldXdg.c_str(), 1);
}

}  // namespace
}  // namespace ossen
