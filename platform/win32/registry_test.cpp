#include "platform/win32/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/base/file_io.h"
#include "platform/win32/prefix.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

std::string ReadHost(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteHost(const std::string& path, const std::string& text) {
  ASSERT_TRUE(WriteFileAtomically(path, text.data(), text.size()));
}

LONG SetDword(HKEY key, const char* name, DWORD value) {
  return RegSetValueEx(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

TEST(Registry, CreatedKeysAndValuesLandInTheUserHiveAsText) {
  testing::TempPrefix temp;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKey(HKEY_CURRENT_USER, "Software\\Vendor", &key), ERROR_SUCCESS);
  ASSERT_NE(key, nullptr);
  const char text[] = "C:\\ossen";
  ASSERT_EQ(RegSetValueEx(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key, nullptr, 10), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

  EXPECT_EQ(ReadHost(temp.prefix() + "/user.reg"),
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Vendor]\r\n"
            "\"Path\"=\"C:\\\\ossen\"\r\n"
            "@=dword:0000000a\r\n\r\n");
  EXPECT_EQ(ReadHost(temp.prefix() + "/system.reg"), "REGEDIT4\r\n\r\n");

  // The machine hive is a file of its own.
  ASSERT_EQ(RegCreateKey(HKEY_LOCAL_MACHINE, "Software\\Vendor", &key), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key, "m", 1), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_NE(ReadHost(temp.prefix() + "/system.reg").find("[HKEY_LOCAL_MACHINE\\Software\\Vendor]\r\n\"m\"="),
            std::string::npos);
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "software\\VENDOR", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueEx(key, "m", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST(Registry, OnlyAKeyWithoutValuesAndSubkeysIsDeleted) {
  testing::TempPrefix temp;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKey(HKEY_LOCAL_MACHINE, "Software\\Vendor\\Product", &key), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key, "v", 1), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteEmptyKey(HKEY_LOCAL_MACHINE, "Software\\Vendor\\Product"), ERROR_ACCESS_DENIED);  // a value
  EXPECT_EQ(RegDeleteEmptyKey(HKEY_LOCAL_MACHINE, "Software\\Vendor"), ERROR_ACCESS_DENIED);  // a subkey
  ASSERT_EQ(RegDeleteValue(key, "v"), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(RegDeleteEmptyKey(HKEY_LOCAL_MACHINE, "software\\vendor\\PRODUCT"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteEmptyKey(HKEY_LOCAL_MACHINE, "Software\\Vendor\\Product"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteEmptyKey(HKEY_LOCAL_MACHINE, "Software\\Vendor"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteEmptyKey(HKEY_LOCAL_MACHINE, ""), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(ReadHost(temp.prefix() + "/system.reg"), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n");
}

TEST(Registry, QueryReportsSizesAsWin32Does) {
  testing::TempPrefix temp;
  const char text[] = "hello";  // 6 bytes with the terminator
  ASSERT_EQ(RegSetValueEx(HKEY_CURRENT_USER, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
            ERROR_SUCCESS);
  DWORD type = 99, size = 0;
  EXPECT_EQ(RegQueryValueEx(HKEY_CURRENT_USER, nullptr, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 6u);

  BYTE buffer[8] = {'x'};
  size = 5;
  EXPECT_EQ(RegQueryValueEx(HKEY_CURRENT_USER, "", nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(buffer[0], 'x');  // untouched
  size = sizeof buffer;
  EXPECT_EQ(RegQueryValueEx(HKEY_CURRENT_USER, nullptr, nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 6u);
  EXPECT_STREQ(reinterpret_cast<char*>(buffer), "hello");

  EXPECT_EQ(RegQueryValueEx(HKEY_CURRENT_USER, "missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueEx(HKEY_CURRENT_USER, "", nullptr, nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueEx(HKEY_CURRENT_USER, "two\nlines", 0, REG_BINARY, nullptr, 0), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueEx(HKEY_CURRENT_USER, "x", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
}

TEST(Registry, HandlesAreCheckedAndOwnedByTheRegistry) {
  testing::TempPrefix temp;
  HKEY key = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Nope", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, "x", &key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCreateKey(HKEY_CURRENT_USER, "A\\\\B", &key), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);

  // A parent that exists only through its child opens; read access does not allow writing.
  HKEY child = nullptr, parent = nullptr;
  ASSERT_EQ(RegCreateKey(HKEY_CURRENT_USER, "A\\B", &child), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "a", 0, KEY_READ, &parent), ERROR_SUCCESS);
  EXPECT_EQ(SetDword(parent, "v", 1), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCreateKey(parent, "D", &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCloseKey(parent), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(parent), ERROR_INVALID_HANDLE);
  EXPECT_EQ(SetDword(parent, "v", 1), ERROR_INVALID_HANDLE);
  // `child` stays open on purpose: the registry releases it at exit.
}

TEST(Registry, AnEditByAPersonSurvivesTheNextWrite) {
  testing::TempPrefix temp;
  std::string hivePath = PrefixDir() + "/user.reg";
  WriteHost(hivePath,
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"typed by hand\"=\"C:\\WINDOWS\"\n\"ok\"=dword:00000001\n");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "K", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueEx(key, "typed by hand", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(SetDword(key, "ok", 2), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(ReadHost(hivePath),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"typed by hand\"=\"C:\\WINDOWS\"\r\n\"ok\"=dword:00000002\r\n\r\n");
}

DWORD QueryDword(const char* name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key) != ERROR_SUCCESS) return 0xFFFFFFFF;
  const LONG result = RegQueryValueEx(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? value : 0xFFFFFFFF;
}

// Reads may come from what this process parsed before, but never from a file since replaced:
// by another program's rename, by an edit in place, or by this process's own write.
TEST(Registry, EveryChangeToTheHiveFileIsReadBack) {
  testing::TempPrefix temp;
  const std::string hivePath = PrefixDir() + "/user.reg";
  WriteHost(hivePath, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"v\"=dword:00000001\r\n");
  EXPECT_EQ(QueryDword("v"), 1u);
  WriteHost(hivePath, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"v\"=dword:00000002\r\n");
  EXPECT_EQ(QueryDword("v"), 2u);
  {
    std::fstream inPlace(hivePath, std::ios::in | std::ios::out | std::ios::binary);  // same file, same size
    inPlace.seekp(static_cast<std::streamoff>(ReadHost(hivePath).find("00000002") + 7));
    inPlace << '3';
  }
  EXPECT_EQ(QueryDword("v"), 3u);
  // Quick writes of equal size in a row, each read back at once.
  for (DWORD value = 4; value < 40; ++value) {
    ASSERT_EQ(SetDword(HKEY_CURRENT_USER, nullptr, 0), ERROR_SUCCESS);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "K", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key, "v", value), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(QueryDword("v"), value);
  }
}

TEST(Registry, WritingTheValueAlreadyStoredLeavesTheFileAlone) {
  testing::TempPrefix temp;
  const char text[] = "C:\\OSSEN\\ossen.exe -h";
  ASSERT_EQ(RegSetValueEx(HKEY_CURRENT_USER, "Run", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
            ERROR_SUCCESS);
  const std::string hivePath = PrefixDir() + "/user.reg";
  struct stat before {};
  ASSERT_EQ(::stat(hivePath.c_str(), &before), 0);
  EXPECT_EQ(RegSetValueEx(HKEY_CURRENT_USER, "Run", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
            ERROR_SUCCESS);
  struct stat after {};
  ASSERT_EQ(::stat(hivePath.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // not replaced
  // Another type or other bytes are a change.
  ASSERT_EQ(RegSetValueEx(HKEY_CURRENT_USER, "Run", 0, REG_BINARY, reinterpret_cast<const BYTE*>(text),
                          sizeof text),
            ERROR_SUCCESS);
  ASSERT_EQ(::stat(hivePath.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);
  DWORD type = 0;
  EXPECT_EQ(RegQueryValueEx(HKEY_CURRENT_USER, "Run", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
}

TEST(Registry, AHiveTooLargeToReadIsNeitherReadNorReplaced) {
  testing::TempPrefix temp;
  std::string hivePath = PrefixDir() + "/user.reg";
  std::string big = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"v\"=dword:00000001\r\n";
  big.resize(kMaxHiveBytes + 1, ';');
  WriteHost(hivePath, big);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_NE(SetDword(HKEY_CURRENT_USER, "w", 1), ERROR_SUCCESS);
  EXPECT_EQ(ReadHost(hivePath).size(), big.size());

  // Nor is a hive written that would hold more items than the next read accepts.
  std::string full = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n";
  for (std::size_t i = 1; i < kMaxHiveItems; ++i) full += "?\r\n";
  WriteHost(hivePath, full);
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "K", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  EXPECT_EQ(SetDword(key, "one too many", 1), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(ReadHost(hivePath), full);
}

TEST(Registry, TwoProcessesWritingAtOnceLoseNothing) {
  testing::TempPrefix temp;
  constexpr int kPerProcess = 500;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKey(HKEY_CURRENT_USER, "Shared", &key), ERROR_SUCCESS);
  RegCloseKey(key);

  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = ::fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      HKEY shared = nullptr;
      int failures = RegOpenKeyEx(HKEY_CURRENT_USER, "Shared", 0, KEY_WRITE, &shared) == ERROR_SUCCESS ? 0 : 1;
      for (int i = 0; i < kPerProcess; ++i) {
        std::string name = "p" + std::to_string(c) + "_" + std::to_string(i);
        failures += SetDword(shared, name.c_str(), static_cast<DWORD>(c * 1000 + i)) == ERROR_SUCCESS ? 0 : 1;
      }
      ::_exit(failures == 0 ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  std::string text = ReadHost(PrefixDir() + "/user.reg");
  RegistryHive hive("HKEY_CURRENT_USER");
  hive.Parse(text, "user.reg");
  EXPECT_EQ(hive.Serialize(), text);  // well-formed: nothing kept as unreadable, nothing reordered
  for (int c = 0; c < 2; ++c) {
    for (int i = 0; i < kPerProcess; ++i) {
      std::string name = "p" + std::to_string(c) + "_" + std::to_string(i);
      const HiveValue* value = hive.FindValue("Shared", name);
      ASSERT_NE(value, nullptr) << name;
      DWORD expected = static_cast<DWORD>(c * 1000 + i);
      EXPECT_EQ(value->data, std::vector<BYTE>(reinterpret_cast<const BYTE*>(&expected),
                                               reinterpret_cast<const BYTE*>(&expected) + 4));
    }
  }
  ASSERT_EQ(hive.keys().size(), 1u);
  EXPECT_EQ(hive.keys()[0].entries.size(), 2u * kPerProcess);
}

}  // namespace
}  // namespace ossen
