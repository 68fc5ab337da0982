#include "saver/saver_settings.h"

#include <gtest/gtest.h>

#include "platform/win32/profile.h"
#include "platform/win32/registry_helpers.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

TEST(SaverSettings, ReadsTheConfigValuesAndTheSystemIniEntry) {
  testing::TempPrefix prefix;
  SaverSettings fresh = ReadSaverSettings();
  EXPECT_EQ(fresh.pic, 0u);
  EXPECT_EQ(fresh.prev, 0u);
  EXPECT_TRUE(fresh.saverNamed);  // nothing applied yet: not a choice of no picture

  ASSERT_EQ(RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPicValue, 7), 1);
  ASSERT_EQ(RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kPrevValue, 12), 1);
  ASSERT_EQ(RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, kMuteValue, 1), 1);
  ASSERT_TRUE(WritePrivateProfileString("boot", "SCRNSAVE.EXE", "C:\\WINDOWS\\SYSTEM\\ossen.scr", "system.ini"));
  SaverSettings set = ReadSaverSettings();
  EXPECT_EQ(set.pic, 7u);
  EXPECT_EQ(set.prev, 12u);
  EXPECT_EQ(set.mute, 1u);
  EXPECT_TRUE(set.saverNamed);

  // "Windows Default" with Saver empties the entry.
  ASSERT_TRUE(WritePrivateProfileString("boot", "SCRNSAVE.EXE", "", "system.ini"));
  EXPECT_FALSE(ReadSaverSettings().saverNamed);

  // A value of another type is no number.
  ASSERT_EQ(RegWriteString(HKEY_CURRENT_USER, kConfigKeyPath, kPicValue, "12"), 1);
  EXPECT_EQ(ReadSaverSettings().pic, 0u);
}

TEST(SaverSettings, TheSettingIsDescribedByTheLibrarysOwnCatalogue) {
  SlotCatalogue catalogue = BuiltInSlotCatalogue();
  catalogue.titles[11] = "Harbour at Dawn";
  catalogue.artists[11] = "Berg, Anna";
  const std::string text = DescribeShowPlan(ShowPlan{ShowPlan::kPainting, 12}, catalogue);
  EXPECT_EQ(text.substr(0, text.find('\n')), "The screen saver shows \"Harbour at Dawn\" by Berg, Anna.");
  EXPECT_NE(DescribeShowPlan(ShowPlan{ShowPlan::kBlack, 0}, catalogue).find("black screen"), std::string::npos);
}

}  // namespace
}  // namespace ossen
