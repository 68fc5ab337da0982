#include "platform/win32/registry_helpers.h"

#include <gtest/gtest.h>

#include <cstring>

#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKey(HKEY_CURRENT_USER, "K", &key), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST(RegistryHelpers, WrittenTextsAndNumbersReadBack) {
  testing::TempPrefix temp;
  EXPECT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, "C:\\OSSEN\\ossen.exe -h"), 1);
  EXPECT_EQ(RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kMuteValue, 1), 1);

  char buffer[MAX_PATH] = "junk";
  EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, buffer, sizeof buffer), 1);
  EXPECT_STREQ(buffer, "C:\\OSSEN\\ossen.exe -h");

  // Exit clears the logon entry to an empty text; it stays a value.
  EXPECT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, ""), 1);
  std::strcpy(buffer, "junk");
  EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, buffer, sizeof buffer), 1);
  EXPECT_STREQ(buffer, "");

  // The stored type is not looked at: a number reads as its four bytes.
  EXPECT_EQ(RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPicValue, 0x00434241), 1);
  EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kConfigKeyPath, kPicValue, buffer, sizeof buffer), 1);
  EXPECT_STREQ(buffer, "ABC");
}

TEST(RegistryHelpers, TheProgramFolderEndsInExactlyOneBackslash) {
  testing::TempPrefix temp;
  EXPECT_EQ(ReadSourcePathFolder(), "");  // no value
  for (const char* written : {"C:\\OSSEN", "C:\\OSSEN\\", "C:\\OSSEN\\\\"}) {
    ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue, written), 1);
    EXPECT_EQ(ReadSourcePathFolder(), "C:\\OSSEN\\") << written;
  }
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue, ""), 1);
  EXPECT_EQ(ReadSourcePathFolder(), "");
  EXPECT_EQ(WithOneTrailingBackslash("C:\\"), "C:\\");
  EXPECT_EQ(WithOneTrailingBackslash("\\\\"), "\\");
}

TEST(RegistryHelpers, MissingKeysAndValuesGiveZeroAndAnEmptyBuffer) {
  testing::TempPrefix temp;
  char buffer[MAX_PATH] = "junk";
  EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");

  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue, "C:\\OSSEN"), 1);
  std::strcpy(buffer, "junk");
  EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kUninstallPathValue, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");

  EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, "x", "y", buffer, sizeof buffer), 0);
  EXPECT_EQ(RegWriteString(HKEY_CLASSES_ROOT, "x", "y", "z"), 0);
  EXPECT_EQ(RegWriteDword(HKEY_CURRENT_USER, "bad\\\\path", "y", 1), 0);
}

TEST(RegistryHelpers, TheBufferIsAlwaysTerminated) {
  testing::TempPrefix temp;
  SetRaw("five", REG_SZ, "abcd", 5);
  SetRaw("raw4", REG_BINARY, "wxyz", 4);
  SetRaw("inner", REG_SZ, "ab\0cd", 6);

  char buffer[5];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, "K", "five", buffer, 5), 1);  // fits exactly
  EXPECT_STREQ(buffer, "abcd");

  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, "K", "five", buffer, 4), 0);  // one byte short
  EXPECT_EQ(buffer[0], '\0');

  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, "K", "raw4", buffer, 5), 1);  // terminated for it
  EXPECT_STREQ(buffer, "wxyz");

  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, "K", "raw4", buffer, 4), 0);  // no room for the terminator
  EXPECT_EQ(buffer[0], '\0');

  char wide[8];
  EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, "K", "inner", wide, sizeof wide), 1);
  EXPECT_STREQ(wide, "ab");
}

}  // namespace
}  // namespace ossen
