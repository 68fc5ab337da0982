#include "gfx/palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "gfx/object_registry.h"

namespace ossen {
namespace {

std::vector<PaletteEntry> Ramp(std::size_t count, BYTE flags = 0) {
  std::vector<PaletteEntry> entries(count);
  for (std::size_t i = 0; i < count; ++i) {
    entries[i] = PaletteEntry{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7), flags};
  }
  return entries;
}

PaletteRef FilledPalette(const std::vector<PaletteEntry>& entries) {
  PaletteRef palette = Palette::New();
  EXPECT_EQ(palette->Create(static_cast<DWORD>(entries.size())), kGfxOk);
  EXPECT_EQ(palette->SetEntries(entries, 0, static_cast<DWORD>(entries.size())), kGfxOk);
  return palette;
}

TEST(PaletteTest, CreationRefusesTwiceAndCopiesFromAnother) {
  PaletteRef palette = Palette::New();
  EXPECT_EQ(palette->CreateFrom(nullptr), kGfxNotSupported);
  PaletteRef empty = Palette::New();
  EXPECT_EQ(palette->CreateFrom(empty.get()), kGfxFailed);
  EXPECT_EQ(palette->Create(0), kGfxFailed);
  ASSERT_EQ(palette->Create(256), kGfxOk);
  EXPECT_EQ(palette->Create(16), kGfxNoImage);
  EXPECT_EQ(palette->Entries()[200], (PaletteEntry{0, 0, 0, 0}));
  EXPECT_EQ(palette->GdiHandle()->Entries().size(), 256u);

  PaletteRef source = FilledPalette(Ramp(256));
  EXPECT_EQ(palette->CreateFrom(source.get()), kGfxNoImage);
  PaletteRef clone = source->Clone();
  ASSERT_TRUE(clone);
  EXPECT_NE(clone.get(), source.get());
  EXPECT_EQ(clone->ReferenceCount(), 1);
  EXPECT_TRUE(std::equal(clone->Entries().begin(), clone->Entries().end(), source->Entries().begin()));
  EXPECT_FALSE(empty->Clone());
}

TEST(PaletteTest, SetEntriesChangesTheBandBumpsTheVersionAndPushesEverything) {
  PaletteRef palette = FilledPalette(Ramp(256));
  const DWORD version = palette->Version();
  const std::uint32_t pushes = palette->GdiHandle()->UpdateCount();
  const std::vector<PaletteEntry> band(5, PaletteEntry{1, 2, 3, 0});

  ASSERT_EQ(palette->SetEntries(band, 10, 5), kGfxOk);
  EXPECT_EQ(palette->Version(), version + 1);
  const std::vector<PaletteEntry> ramp = Ramp(256);
  for (DWORD i = 0; i < 256; ++i) {
    EXPECT_EQ(palette->Entries()[i], (i >= 10 && i < 15) ? band[0] : ramp[i]) << i;
  }
  EXPECT_EQ(palette->GdiHandle()->UpdateCount(), pushes + 1);
  EXPECT_TRUE(std::equal(palette->Entries().begin(), palette->Entries().end(),
                         palette->GdiHandle()->Entries().begin()));

  // Ranges outside the palette or the data, null data and an empty palette change nothing.
  EXPECT_EQ(palette->SetEntries(band, 253, 5), kGfxFailed);
  EXPECT_EQ(palette->SetEntries(band, 0, 6), kGfxFailed);
  EXPECT_EQ(palette->SetEntries(band, 0xFFFFFFFFu, 2), kGfxFailed);
  EXPECT_EQ(palette->SetEntries({}, 0, 1), kGfxNotSupported);
  EXPECT_EQ(Palette::New()->SetEntries(band, 0, 1), kGfxFailed);
  EXPECT_EQ(palette->Version(), version + 1);

  std::vector<PaletteEntry> out(4);
  EXPECT_EQ(palette->GetEntries(out, 12, 4), kGfxOk);
  EXPECT_EQ(out[3], ramp[15]);
  EXPECT_EQ(palette->GetEntries(out, 254, 4), kGfxFailed);
  EXPECT_EQ(palette->GetEntries(out, 0, 5), kGfxFailed);

  PaletteRef other = FilledPalette(Ramp(16));
  EXPECT_EQ(palette->CopyEntries(other.get(), 100, 4, 12), kGfxOk);
  EXPECT_EQ(palette->Entries()[103], ramp[15]);
  EXPECT_EQ(palette->CopyEntries(other.get(), 100, 5, 12), kGfxFailed);
  EXPECT_EQ(palette->CopyEntries(nullptr, 0, 1, 0), kGfxNotSupported);
}

TEST(PaletteTest, InverseTableTakesTheLowerIndexOfEqualColoursAndSurvivesSetEntries) {
  std::vector<PaletteEntry> entries = Ramp(256);
  entries[3] = entries[7] = PaletteEntry{200, 40, 96, 0};
  PaletteRef palette = FilledPalette(entries);
  ASSERT_EQ(palette->Octree(), nullptr);
  const BYTE* table = palette->InverseTable();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table[InverseTableIndex(200, 40, 96)], 3);
  ASSERT_NE(palette->Octree(), nullptr);
  EXPECT_EQ(palette->Octree()->LeafCount(), 255u);

  const std::vector<PaletteEntry> black(1, PaletteEntry{0, 0, 0, 0});
  ASSERT_EQ(palette->SetEntries(black, 3, 1), kGfxOk);
  EXPECT_EQ(palette->Octree(), nullptr);
  EXPECT_EQ(palette->InverseTable(), table);  // kept as built
  EXPECT_EQ(Palette::New()->InverseTable(), nullptr);
}

TEST(PaletteTest, ACopyOfAPaletteGetsTheSameInverseTableAndAnotherPaletteItsOwn) {
  std::vector<PaletteEntry> entries = Ramp(256);
  PaletteRef first = FilledPalette(entries);
  const std::vector<BYTE> built(first->InverseTable(), first->InverseTable() + kInverseTableSize);

  // One entry moved: the table made for the first palette must not be handed out again.
  std::vector<PaletteEntry> moved = entries;
  moved[0] = PaletteEntry{250, 250, 250, 0};
  PaletteRef other = FilledPalette(moved);
  const BYTE* otherTable = other->InverseTable();
  ASSERT_NE(otherTable, nullptr);
  EXPECT_EQ(otherTable[InverseTableIndex(250, 250, 250)], 0);
  EXPECT_NE(built[InverseTableIndex(250, 250, 250)], 0);

  PaletteRef copy = first->Clone();
  ASSERT_NE(copy->InverseTable(), first->InverseTable()) << "each palette owns its table";
  EXPECT_EQ(std::vector<BYTE>(copy->InverseTable(), copy->InverseTable() + kInverseTableSize), built);
  EXPECT_NE(copy->Octree(), nullptr) << "the octree comes with the table";
}

TEST(PaletteTest, ReferenceCountsRegistrationAndShutDownOrder) {
  PaletteRef unregistered = FilledPalette(Ramp(4));
  SetGraphicsContextExists(true);
  ObjectList& registry = PaletteRegistry();
  Palette* first = Palette::New().Detach();
  Palette* second = Palette::New().Detach();
  ASSERT_EQ(registry.Count(), 2u);
  EXPECT_EQ(registry.Head()->object, first);
  // Release deletes (and unlists) only when the count before it was 1 or less.
  Palette* released = Palette::New().Detach();
  EXPECT_EQ(PaletteRef::Share(released)->ReferenceCount(), 2);
  EXPECT_EQ(released->AddRef(), 2);
  EXPECT_EQ(released->Release(), 1);
  EXPECT_EQ(registry.Count(), 3u);
  EXPECT_EQ(released->Release(), 0);
  EXPECT_EQ(registry.Count(), 2u);
  // Shut-down deletes from the head, also a palette that is still held elsewhere.
  second->AddRef();
  DeleteRegisteredPalettes();
  SetGraphicsContextExists(false);
  EXPECT_TRUE(registry.Empty());
  EXPECT_EQ(unregistered->EntryCount(), 4u);
  PaletteRef later = Palette::New();
  EXPECT_TRUE(registry.Empty());
}

}  // namespace
}  // namespace ossen
