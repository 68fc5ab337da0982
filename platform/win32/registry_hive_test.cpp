#include "platform/win32/registry_hive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/trace.h"

namespace ossen {
namespace {

using Bytes = std::vector<BYTE>;

Bytes TextBytes(std::string_view text, bool terminated = true) {
  Bytes bytes(text.begin(), text.end());
  if (terminated) bytes.push_back(0);
  return bytes;
}

RegistryHive ParseUser(std::string_view text) {
  RegistryHive hive("HKEY_CURRENT_USER");
  hive.Parse(text, "test.reg");
  return hive;
}

// Collects traced lines while alive.
class TraceCollector {
 public:
  TraceCollector() { old_ = SetTraceSink(&Collect); lines().clear(); }
  ~TraceCollector() { SetTraceSink(old_); }
  static std::vector<std::string>& lines() {
    static std::vector<std::string> collected;
    return collected;
  }

 private:
  static void Collect(const char* line) { lines().push_back(line); }
  TraceSink old_;
};

TEST(RegistryHive, WritesTheTextAPersonCanRead) {
  RegistryHive hive("HKEY_CURRENT_USER");
  ASSERT_TRUE(hive.SetValue("SOFTWARE\\Brantwell Software\\Config", "Mute", kRegTypeDword, {1, 0, 0, 0}));
  ASSERT_TRUE(hive.SetValue("SOFTWARE\\Brantwell Software\\Config", "Path", kRegTypeString,
                            TextBytes("C:\\WINDOWS\\\"x\"")));
  ASSERT_TRUE(hive.SetValue("SOFTWARE\\Brantwell Software\\Config", "", kRegTypeString, TextBytes("d")));
  ASSERT_TRUE(hive.SetValue("SOFTWARE\\Brantwell Software\\Config", "Timer", kRegTypeDword, {10, 0, 0, 0}));
  EXPECT_EQ(hive.Serialize(),
            "REGEDIT4\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\SOFTWARE]\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\Brantwell Software]\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\Brantwell Software\\Config]\r\n"
            "\"Mute\"=dword:00000001\r\n"
            "\"Path\"=\"C:\\\\WINDOWS\\\\\\\"x\\\"\"\r\n"
            "@=\"d\"\r\n"
            "\"Timer\"=dword:0000000a\r\n"
            "\r\n");
  EXPECT_EQ(RegistryHive("HKEY_LOCAL_MACHINE").Serialize(), "REGEDIT4\r\n\r\n");
}

TEST(RegistryHive, EveryValueReadsBackAsItWasWritten) {
  Bytes longBinary;
  for (int i = 0; i < 100; ++i) longBinary.push_back(static_cast<BYTE>(i * 7));
  const std::vector<HiveValue> values = {
      {"quotes \"and\" back\\slashes\\", kRegTypeString, TextBytes("say \"hi\" to C:\\WINDOWS\\")},
      {"high bytes \xe4\xf6", kRegTypeString, TextBytes("Gr\xfc\xdf\x80\xff")},
      {"line breaks", kRegTypeString, TextBytes("one\r\ntwo\nthree\r")},
      {"inner terminator", kRegTypeString, TextBytes(std::string_view("a\0b", 3))},
      {"no terminator", kRegTypeString, TextBytes("abc", false)},
      {"empty string data", kRegTypeString, {}},
      {"empty text", kRegTypeString, TextBytes("")},
      {"dword", kRegTypeDword, {0xef, 0xbe, 0xad, 0xde}},
      {"short dword", kRegTypeDword, {1, 2}},
      {"binary", kRegTypeBinary, longBinary},
      {"empty binary", kRegTypeBinary, {}},
      {"multi string", 7, TextBytes(std::string_view("a\0b\0", 4))},
      {"odd type", 0x12345678, {0}},
      {"", kRegTypeString, TextBytes("default")},
  };
  RegistryHive hive("HKEY_CURRENT_USER");
  for (const HiveValue& v : values) ASSERT_TRUE(hive.SetValue("K", v.name, v.type, v.data));
  std::string text = hive.Serialize();

  // Texts that the quoted form cannot hold go out as hex(1); long data is wrapped.
  EXPECT_NE(text.find("\"line breaks\"=hex(1):6f,6e,65,0d,0a,74,77,6f,0a,74,68,72,65,65,0d,00\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"no terminator\"=hex(1):61,62,63\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"high bytes \xe4\xf6\"=\"Gr\xfc\xdf\x80\xff\"\r\n"), std::string::npos);
  EXPECT_NE(text.find(",\\\r\n  "), std::string::npos);
  for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);

  RegistryHive again = ParseUser(text);
  for (const HiveValue& v : values) {
    const HiveValue* read = again.FindValue("K", v.name);
    ASSERT_NE(read, nullptr) << v.name;
    EXPECT_EQ(*read, v) << v.name;
  }
  EXPECT_EQ(again.Serialize(), text);
}

TEST(RegistryHive, ReadsLfTextAndHexContinuationsAsTheRegistryEditorWritesThem) {
  RegistryHive hive = ParseUser(
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"bin\"=hex:01,02,\\\n  03,04\n\"str\" = \"x\"  \n\"n\"=dword:FFFFFFFF\n");
  ASSERT_NE(hive.FindValue("A", "bin"), nullptr);
  EXPECT_EQ(hive.FindValue("A", "bin")->data, (Bytes{1, 2, 3, 4}));
  ASSERT_NE(hive.FindValue("A", "str"), nullptr);
  EXPECT_EQ(hive.FindValue("A", "str")->data, TextBytes("x"));
  EXPECT_EQ(hive.FindValue("A", "n")->data, (Bytes{0xff, 0xff, 0xff, 0xff}));
}

TEST(RegistryHive, KeysAndValueNamesIgnoreCaseAndKeepTheirFirstSpelling) {
  RegistryHive hive("HKEY_CURRENT_USER");
  ASSERT_TRUE(hive.SetValue("Software\\Vendor", "Mute", kRegTypeDword, {1, 0, 0, 0}));
  ASSERT_TRUE(hive.SetValue("SOFTWARE\\VENDOR", "MUTE", kRegTypeDword, {0, 0, 0, 0}));
  ASSERT_NE(hive.FindValue("sOfTwArE\\vEnDoR", "mute"), nullptr);
  EXPECT_EQ(hive.FindValue("software\\vendor", "mute")->data, (Bytes{0, 0, 0, 0}));
  EXPECT_NE(hive.Serialize().find("[HKEY_CURRENT_USER\\Software\\Vendor]\r\n\"Mute\"=dword:00000000\r\n"),
            std::string::npos);

  // A key listed twice in a file is one key; its later values win.
  RegistryHive twice = ParseUser(
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"1\"\r\n\r\n"
      "[hkey_current_user\\a]\r\n\"X\"=\"2\"\r\n\"y\"=\"3\"\r\n");
  ASSERT_EQ(twice.keys().size(), 1u);
  EXPECT_EQ(twice.FindValue("A", "x")->data, TextBytes("2"));
  EXPECT_EQ(twice.FindValue("A", "Y")->data, TextBytes("3"));
}

TEST(RegistryHive, ParentsExistAndCreatingAKeyListsEachLevelOnce) {
  RegistryHive hive = ParseUser("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A\\B\\C]\r\n");
  EXPECT_TRUE(hive.KeyExists("a\\b"));
  EXPECT_FALSE(hive.KeyExists("A\\B\\C\\D"));
  EXPECT_FALSE(hive.KeyExists("A\\"));

  ASSERT_TRUE(hive.CreateKey("A\\B\\C\\D"));
  std::vector<std::string> paths;
  for (const HiveKey& key : hive.keys()) paths.push_back(key.path);
  EXPECT_EQ(paths, (std::vector<std::string>{"A\\B\\C", "A", "A\\B", "A\\B\\C\\D"}));

  for (const char* bad : {"\\A", "A\\", "A\\\\B", "A\nB", "A\rB"}) {
    EXPECT_FALSE(hive.CreateKey(bad)) << bad;
    EXPECT_FALSE(hive.SetValue(bad, "v", kRegTypeDword, {0, 0, 0, 0})) << bad;
  }
  EXPECT_FALSE(hive.SetValue("A", "two\nlines", kRegTypeDword, {0, 0, 0, 0}));
  EXPECT_EQ(hive.keys().size(), 4u);

  // The root key itself can hold values.
  ASSERT_TRUE(hive.SetValue("", "top", kRegTypeDword, {5, 0, 0, 0}));
  EXPECT_NE(hive.Serialize().find("[HKEY_CURRENT_USER]\r\n\"top\"=dword:00000005\r\n"), std::string::npos);
}

TEST(RegistryHive, DamagedLinesAreTracedSkippedAndWrittenBackWhereTheyStood) {
  const std::string damaged =
      "stray before any key\r\n"
      "[HKEY_LOCAL_MACHINE\\Other]\r\n"
      "\"x\"=\"kept, not visible\"\r\n"
      "[HKEY_CURRENT_USER\\Unclosed\r\n"
      "\"y\"=\"1\"\r\n"
      "[HKEY_CURRENT_USER\\K]\r\n"
      "\"good\"=\"1\"\r\n"
      "; a note, not damage\r\n"
      "\"unclosed=\"2\"\r\n"
      "\"bad escape\"=\"C:\\WINDOWS\"\r\n"
      "\"bad dword\"=dword:123456789\r\n"
      "\"bad hex\"=hex:1,2,,3\r\n"
      "\"cut\"=hex:01,\\\r\n"
      "\r\n"
      "\"later\"=dword:00000002\r\n";
  TraceCollector traces;
  RegistryHive hive = ParseUser(damaged);
  EXPECT_EQ(TraceCollector::lines().size(), 9u);  // the missing header and eight lines

  EXPECT_FALSE(hive.KeyExists("Other"));
  EXPECT_FALSE(hive.KeyExists("Unclosed"));
  EXPECT_EQ(hive.FindValue("K", "bad escape"), nullptr);
  EXPECT_EQ(hive.FindValue("K", "cut"), nullptr);
  ASSERT_NE(hive.FindValue("K", "good"), nullptr);
  ASSERT_NE(hive.FindValue("K", "later"), nullptr);

  ASSERT_TRUE(hive.SetValue("K", "new", kRegTypeDword, {3, 0, 0, 0}));
  EXPECT_EQ(hive.Serialize(),
            "REGEDIT4\r\n\r\n"
            "stray before any key\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Other]\r\n"
            "\"x\"=\"kept, not visible\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\Unclosed\r\n"
            "\"y\"=\"1\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\K]\r\n"
            "\"good\"=\"1\"\r\n"
            "; a note, not damage\r\n"
            "\"unclosed=\"2\"\r\n"
            "\"bad escape\"=\"C:\\WINDOWS\"\r\n"
            "\"bad dword\"=dword:123456789\r\n"
            "\"bad hex\"=hex:1,2,,3\r\n"
            "\"cut\"=hex:01,\\\r\n\r\n"
            "\"later\"=dword:00000002\r\n"
            "\"new\"=dword:00000003\r\n\r\n");

  // Reading the rewritten text again finds the same.
  RegistryHive again = ParseUser(hive.Serialize());
  EXPECT_EQ(again.keys(), hive.keys());
  EXPECT_EQ(again.leadingLines(), hive.leadingLines());
}

TEST(RegistryHive, RefusesTextWithMoreItemsThanAHiveHolds) {
  std::string flood = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n";
  for (std::size_t i = 0; i < kMaxHiveItems; ++i) flood += "[\r\n";
  RegistryHive hive("HKEY_CURRENT_USER");
  EXPECT_FALSE(hive.Parse(flood, "flood.reg"));
  EXPECT_TRUE(hive.keys().empty());
  EXPECT_TRUE(hive.Parse(std::string(kMaxHiveBytes, '\n'), "blank.reg"));
}

}  // namespace
}  // namespace ossen
