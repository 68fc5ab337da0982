// A new schedule's titles and painters from a picture library's catalogue text: which rows
// it replaces, how its text becomes the records' single-byte text, and what it cannot do.
#include "schedule/catalogue.h"

#include <gtest/gtest.h>

#include <string>

#include "schedule/slot_store.h"
#include "schedule/test/schedule_test_support.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

TEST(LibraryCatalogueTest, ReplacesTheRowsItNamesAndKeepsTheOthers) {
  SlotCatalogue catalogue = BuiltInSlotCatalogue();
  EXPECT_EQ(TakeCatalogueRows("# mine\nharbour.jpg|Harbour at Dawn|Anna Berg\nfields.jpg|Fields in July|\n",
                              catalogue),
            2);
  EXPECT_EQ(catalogue.titles[0], "Harbour at Dawn");
  EXPECT_EQ(catalogue.artists[0], "Anna Berg");
  EXPECT_EQ(catalogue.titles[1], "Fields in July");
  EXPECT_EQ(catalogue.artists[1], "");  // a painter left out stays out
  for (int row = 2; row < CatalogueCount; ++row) {
    EXPECT_EQ(catalogue.titles[row], CatalogueTitles[row]);
    EXPECT_EQ(catalogue.artists[row], CatalogueArtists[row]);
  }
  EXPECT_EQ(LibrarySlotCatalogue(nullptr).titles, BuiltInSlotCatalogue().titles);
}

TEST(LibraryCatalogueTest, TextsBecomeSingleByteAndFitARecord) {
  SlotCatalogue catalogue = BuiltInSlotCatalogue();
  const std::string longTitle(400, 'T');
  const std::string text = "a.jpg|\xC3\x96l auf Leinwand|Dagny M\xC3\xB8ller\n"  // UTF-8 in Latin-1
                           "b.jpg|\xE5\xA4\x9C|Jos\xE9\n"                        // beyond Latin-1; Latin-1 bytes
                           "c.jpg|" + longTitle + "|\xC3\n";                    // too long; a cut sequence
  EXPECT_EQ(TakeCatalogueRows(text, catalogue), 3);
  EXPECT_EQ(catalogue.titles[0], "\xD6l auf Leinwand");
  EXPECT_EQ(catalogue.artists[0], "Dagny M\xF8ller");
  EXPECT_EQ(catalogue.titles[1], "?");
  EXPECT_EQ(catalogue.artists[1], "Jos\xE9");
  EXPECT_EQ(catalogue.titles[2], longTitle.substr(0, 259));
  EXPECT_EQ(catalogue.artists[2], "\xC3");
}

TEST(LibraryCatalogueTest, TextThatIsNoCatalogueChangesNothing) {
  for (const std::string& text : {std::string(), std::string("no separators here\n"), std::string("a|b|c|d\n"),
                                 std::string("a.jpg|T\0|P", 10)}) {
    SlotCatalogue catalogue = BuiltInSlotCatalogue();
    EXPECT_EQ(TakeCatalogueRows(text, catalogue), 0);
    EXPECT_EQ(catalogue.titles, BuiltInSlotCatalogue().titles);
    EXPECT_EQ(catalogue.artists, BuiltInSlotCatalogue().artists);
  }
}

TEST(LibraryCatalogueTest, OnlyANewScheduleTakesTheLibrarysTitles) {
  testing::TempPrefix prefix;
  testing::ScopedTimeZone zone("Europe/Berlin");
  testing::SettableClock clock(testing::UtcMoment(2026, 3, 1));
  SlotCatalogue catalogue = BuiltInSlotCatalogue();
  TakeCatalogueRows("harbour.jpg|Harbour at Dawn|Anna Berg\n", catalogue);

  SlotList fresh;
  ASSERT_EQ(LoadSlots(fresh, clock, catalogue), SlotSource::kDefaults);
  for (int i = 0; i < fresh.Count(); ++i) {
    const SlotRecord* record = fresh.ItemData(i);
    if (record->slotId == 1) {
      EXPECT_STREQ(record->title, "Harbour at Dawn");
      EXPECT_STREQ(record->artist, "Anna Berg");
      EXPECT_EQ(fresh.ItemText(i), "Anna Berg");
    } else if (record->slotId == 2) {
      EXPECT_STREQ(record->title, CatalogueTitles[1]);
    } else if (record->slotId == 0) {
      EXPECT_STREQ(record->title, "Windows Default");
    }
  }
  ASSERT_TRUE(SaveSlots(fresh));

  // A saved schedule keeps its own titles whatever library comes with the next run.
  SlotList loaded;
  ASSERT_EQ(LoadSlots(loaded, clock, BuiltInSlotCatalogue()), SlotSource::kFile);
  bool found = false;
  for (int i = 0; i < loaded.Count(); ++i) found |= std::string(loaded.ItemData(i)->title) == "Harbour at Dawn";
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace ossen
