#include "gfx/dib_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "image/four_cc.h"
#include "image/global_block_source.h"
#include "image/pkc_codec.h"
#include "image/pointer_source.h"
#include "image/test/test_images.h"
#include "image/trle_codec.h"

namespace ossen {
namespace {

using testing::Bytes;
using testing::HeaderOf;
using testing::MakeDib;
using testing::PutWord;

std::unique_ptr<DataSource> SourceOf(const Bytes& bytes) {
  auto source = std::make_unique<GlobalBlockSource>(static_cast<DWORD>(bytes.size()), true);
  std::memcpy(source->data, bytes.data(), bytes.size());
  return source;
}

SurfaceRef<DibImage> Attached(const Bytes& bytes) {
  SurfaceRef<DibImage> image = DibImage::New();
  EXPECT_EQ(image->AttachSource(SourceOf(bytes)), 0);
  return image;
}

Bytes CurrentBytes(const DibImage& image) {
  const DataSource* source = image.Source();
  return Bytes(source->data, source->data + source->size);
}

TEST(DibImageAttachTest, FileHeaderOrNotLoadsAlikeAndGarbageIsRefused) {
  std::mt19937 rng(1);
  const Bytes dib = MakeDib(7, 3, 8, BI_RGB, rng);
  Bytes withFileHeader{'B', 'M', 0x45, 0x00, 0x94, 0x0C, 159, 0, 0, 0, 0x36, 0x04, 0, 0};
  withFileHeader.insert(withFileHeader.end(), dib.begin(), dib.end());
  SurfaceRef<DibImage> bare = Attached(dib);
  SurfaceRef<DibImage> filed = Attached(withFileHeader);
  for (DibImage* image : {bare.get(), filed.get()}) {
    EXPECT_EQ(image->width, 7);
    EXPECT_EQ(image->height, 3);
    EXPECT_EQ(image->format, kFormatIndexed8);
    EXPECT_FALSE(image->IsCompressed());
    ASSERT_NE(image->GetPalette(), nullptr);
    EXPECT_EQ(image->GetPalette()->EntryCount(), 256u);
    EXPECT_EQ(image->GetPalette()->Entries()[5].red, dib[40 + 5 * 4 + 2]);
  }
  EXPECT_EQ(filed->GetInfoHeader(), filed->Source()->data + 14);
  EXPECT_EQ(filed->GetPixel(6, 2), bare->GetPixel(6, 2));

  SurfaceRef<DibImage> image = DibImage::New();
  EXPECT_EQ(image->AttachSource(nullptr), kGfxFailed);
  EXPECT_EQ(image->AttachSource(SourceOf(Bytes(64, 0x41))), kGfxFailed) << "neither BM nor a 40-byte header";
  EXPECT_EQ(image->AttachSource(SourceOf(Bytes(dib.begin(), dib.end() - 1))), kGfxFailed) << "truncated";
  EXPECT_EQ(image->format, 0u);
  EXPECT_EQ(image->GetInfoHeader(), nullptr);
}

TEST(DibImageAttachTest, ShortColourTableLeavesTheMissingEntriesBlack) {
  std::mt19937 rng(2);
  Bytes dib = MakeDib(4, 2, 8, BI_RGB, rng);
  // Keep 16 table entries: the header's colour count says so and the rest is cut out.
  PutWord(dib, 32, 16);
  dib.erase(dib.begin() + 40 + 16 * 4, dib.begin() + 40 + 256 * 4);
  SurfaceRef<DibImage> image = Attached(dib);
  const auto entries = image->GetPalette()->Entries();
  ASSERT_EQ(entries.size(), 256u);
  EXPECT_EQ(entries[15].blue, dib[40 + 15 * 4]);
  EXPECT_EQ(entries[16], (PaletteEntry{0, 0, 0, 0}));
  EXPECT_EQ(entries[255], (PaletteEntry{0, 0, 0, 0}));

  // A full palette written back fills only the 16 entries the table has, never the pixels.
  const Bytes before = CurrentBytes(*image);
  PaletteRef white = Palette::New();
  white->Create(256);
  const std::vector<PaletteEntry> all(256, PaletteEntry{255, 255, 255, 0});
  white->SetEntries(all, 0, 256);
  ASSERT_EQ(image->SetPalette(white.get()), 0);
  const Bytes after = CurrentBytes(*image);
  EXPECT_EQ(after[40 + 15 * 4], 255);
  EXPECT_EQ(after[40 + 15 * 4 + 3], 0);
  EXPECT_TRUE(std::equal(after.begin() + 40 + 64, after.end(), before.begin() + 40 + 64)) << "pixels untouched";
}

TEST(DibImagePaletteTest, ReadOnlyBytesAreNeverWrittenAndSizesAreChecked) {
  std::mt19937 rng(3);
  Bytes dib = MakeDib(4, 2, 8, BI_RGB, rng);
  PointerSource callers(dib.data(), static_cast<DWORD>(dib.size()), false, true);
  SurfaceRef<DibImage> image = DibImage::New();
  ASSERT_EQ(image->Load(nullptr, kLoadFromDataSource, nullptr, ResourceId("BIN"), nullptr, &callers), 0);
  const Bytes before = dib;
  PaletteRef palette = Palette::New();
  palette->Create(256);
  EXPECT_EQ(image->SetPalette(palette.get()), 0);
  EXPECT_EQ(dib, before) << "read-only bytes";
  EXPECT_EQ(image->GetPalette(), palette.get());

  PaletteRef small = Palette::New();
  small->Create(16);
  EXPECT_EQ(image->SetPalette(small.get()), kGfxPaletteSizeMismatch);
  EXPECT_EQ(image->SetPalette(Palette::New().get()), kGfxEmptyPalette);
  SurfaceRef<DibImage> wide = DibImage::New();
  ASSERT_EQ(wide->CreateBlank(2, 2, kFormatRgb888), 0);
  EXPECT_EQ(wide->SetPalette(palette.get()), kGfxPaletteSizeMismatch);
  EXPECT_EQ(DibImage::New()->SetPalette(palette.get()), kGfxNoImage);
}

TEST(DibImageLoadTest, SourcesAndFlags) {
  SurfaceRef<DibImage> image = DibImage::New();
  ASSERT_EQ(image->CreateBlank(2, 2, kFormatIndexed8), 0);
  EXPECT_EQ(image->Load("NOSUCHPICTURE", kLoadFromResource, nullptr, ResourceId("BIN"), nullptr, nullptr),
            kGfxFailed);
  EXPECT_EQ(image->format, 0u) << "emptied";
  EXPECT_EQ(image->Load("C:\\no\\such.bmp", kLoadFromFile, nullptr, ResourceId("BIN"), nullptr, nullptr), kGfxFailed);
  EXPECT_EQ(image->Load(nullptr, 3, nullptr, ResourceId("BIN"), nullptr, nullptr), kGfxFailed);

  // Copied bytes, decompressed, converted to the template's format.
  std::mt19937 rng(4);
  const Bytes packed = testing::ToBytes(PkcCompress(MakeDib(6, 4, 24, BI_RGB, rng)).view());
  PointerSource callers(const_cast<std::uint8_t*>(packed.data()), static_cast<DWORD>(packed.size()), false, true);
  SurfaceRef<DibImage> templateImage = DibImage::New();
  ASSERT_EQ(templateImage->CreateBlank(1, 1, kFormatRgb565), 0);
  ASSERT_EQ(image->Load(nullptr, kLoadFromDataSource | kLoadCopyBytes | kLoadDecompress | kLoadConvertToTemplate,
                        nullptr, ResourceId("BIN"), templateImage.get(), &callers),
            0);
  EXPECT_EQ(image->format, kFormatRgb565);
  EXPECT_FALSE(image->IsCompressed());
  EXPECT_NE(image->Source()->data, packed.data());
}

TEST(DibImageCodecTest, BookSizedPkc1DecompressesToTheWholeImage) {
  std::mt19937 rng(5);
  const Bytes plain = MakeDib(640, 1920, 8, BI_RGB, rng);
  Bytes book{'B', 'M', 0x45, 0x00, 0x94, 0x0C, 159, 0, 0, 0, 0x36, 0x04, 0, 0};
  const Bytes packed = testing::ToBytes(PkcCompress(plain).view());
  book.insert(book.end(), packed.begin(), packed.end());
  SurfaceRef<DibImage> image = Attached(book);
  EXPECT_TRUE(image->IsCompressed());
  std::uint8_t* bits = nullptr;
  int stride = 0;
  EXPECT_EQ(image->LockBits(bits, stride), kGfxCompressed);
  EXPECT_EQ(image->ConvertFormat(kFormatRgb888, nullptr, 0), kGfxCompressed);
  EXPECT_EQ(image->Compress(kCompressionPkcc), kGfxAlreadyCompressed);

  ASSERT_EQ(image->Decompress(), 0);
  const Bytes decoded = CurrentBytes(*image);
  ASSERT_EQ(decoded.size(), 1064u + 1228800u);
  EXPECT_EQ(HeaderOf(decoded).compression, BI_RGB);
  EXPECT_EQ(HeaderOf(decoded).imageSize, 0u);
  EXPECT_TRUE(std::equal(decoded.begin() + 40, decoded.end(), plain.begin() + 40)) << "table and rows as they were";
  EXPECT_EQ(image->Decompress(), kGfxNotCompressed);
}

TEST(DibImageCodecTest, PkccOnBitFieldsKeepsTheMasksBothWays) {
  std::mt19937 rng(6);
  const Bytes plain = MakeDib(5, 3, 16, BI_BITFIELDS, rng);
  SurfaceRef<DibImage> image = Attached(plain);
  EXPECT_EQ(image->format, kFormatRgb565);
  ASSERT_EQ(image->Compress(kCompressionPkcc), 0);
  const Bytes packed = CurrentBytes(*image);
  EXPECT_EQ(HeaderOf(packed).compression, kCompressionPkc2);
  EXPECT_EQ(PackedDibHeaderSize(packed), 52u);
  EXPECT_TRUE(std::equal(packed.begin() + 40, packed.begin() + 52, plain.begin() + 40));
  EXPECT_EQ(image->Compress(kCompressionArle), kGfxAlreadyCompressed);
  ASSERT_EQ(image->Decompress(), 0);
  EXPECT_EQ(CurrentBytes(*image), plain);
  EXPECT_EQ(image->format, kFormatRgb565);
}

TEST(DibImageCodecTest, UnknownCodesAndRefusingCodecsKeepTheImage) {
  std::mt19937 rng(7);
  Bytes plain = MakeDib(4, 2, 8, BI_RGB, rng);
  SurfaceRef<DibImage> image = Attached(plain);
  EXPECT_EQ(image->Compress(MakeFourCC('A', 'B', 'C', 'D')), kGfxUnknownCompression);
  std::uint8_t* bits = nullptr;
  int stride = 0;
  ASSERT_EQ(image->LockBits(bits, stride), 0);
  EXPECT_EQ(image->Compress(kCompressionArle), kGfxBitsLocked);
  image->UnlockBits();
  ASSERT_EQ(image->Compress(kCompressionTrle), 0);
  ASSERT_EQ(image->Decompress(), 0);
  EXPECT_EQ(CurrentBytes(*image), plain);

  // A 24-bit image has no ARLE form: the codec refuses and the old source stays.
  SurfaceRef<DibImage> deep = Attached(MakeDib(4, 2, 24, BI_RGB, rng));
  const DataSource* before = deep->Source();
  EXPECT_EQ(deep->Compress(kCompressionArle), kGfxUnknownCompression);
  EXPECT_EQ(deep->Source(), before);
  EXPECT_FALSE(deep->IsCompressed());

  // A stored code outside the table, and a damaged block.
  Bytes foreign = plain;
  PutWord(foreign, 16, MakeFourCC('X', 'Y', 'Z', 'W'));
  PutWord(foreign, 20, 8);
  SurfaceRef<DibImage> strange = Attached(foreign);
  EXPECT_EQ(strange->Decompress(), kGfxUnknownCompression);
  Bytes damaged = testing::ToBytes(PkcCompress(plain).view());
  damaged[damaged.size() - 3] ^= 0xFF;
  SurfaceRef<DibImage> broken = Attached(damaged);
  EXPECT_EQ(broken->Decompress(), kGfxUnknownCompression);
  EXPECT_TRUE(broken->IsCompressed());
  EXPECT_EQ(DibImage::New()->Decompress(), kGfxNoImage);
  EXPECT_EQ(DibImage::New()->Compress(kCompressionPkcc), kGfxNoImage);
}

TEST(DibImageCodecTest, TrleSixteenBitsWithGreenMask7E0IsFiveSixFive) {
  // One row of three pixels, the middle one kept; preamble masks 5:6:5 and code 3.
  Bytes dib(40, 0);
  testing::PatchHeader(dib, BitmapInfoHeader{40, 3, 1, 1, 16, kCompressionTrle, 16 + 8 + 2, 0, 0, 0, 0});
  for (DWORD word : {0xF800u, 0x7E0u, 0x1Fu, 3u}) dib.insert(dib.end(), {BYTE(word), BYTE(word >> 8), BYTE(word >> 16), 0});
  const TrleRowEntry row{24, 1, 1};
  dib.resize(dib.size() + 8);
  std::memcpy(dib.data() + 56, &row, 8);
  dib.insert(dib.end(), {0x34, 0x12});
  SurfaceRef<DibImage> image = Attached(dib);
  EXPECT_EQ(image->format, 0x10E40565u);
  ASSERT_EQ(image->Decompress(), 0);
  EXPECT_EQ(image->format, 0x10E40565u);
  EXPECT_EQ(image->GetPixel(1, 0), 0x1234u);
  EXPECT_EQ(image->GetPixel(0, 0), 0u);
}

TEST(DibImageLockTest, NestedLocksBalanceTheSourceAndCopiesAreWhole) {
  std::mt19937 rng(8);
  const Bytes plain = MakeDib(3, 5, 24, BI_RGB, rng);
  SurfaceRef<DibImage> image = Attached(plain);
  const std::int32_t lockCountBefore = image->Source()->lockCount;
  std::uint8_t* first = nullptr;
  std::uint8_t* second = nullptr;
  int stride = 0;
  ASSERT_EQ(image->LockBits(first, stride), 0);
  ASSERT_EQ(image->LockBits(second, stride), 0);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first, image->Source()->data + 40);
  EXPECT_EQ(stride, 12);
  EXPECT_EQ(image->accessCount, 2);
  image->UnlockBits();
  image->UnlockBits();
  EXPECT_EQ(image->Source()->lockCount, lockCountBefore);
  EXPECT_EQ(image->accessCount, 0);

  SurfaceRef<DibImage> copy = DibImage::New();
  ASSERT_EQ(copy->CopyFrom(image.get()), 0);
  EXPECT_EQ(CurrentBytes(*copy), plain);
  EXPECT_EQ(copy->CopyFrom(DibImage::New().get()), kGfxNoImage);
  EXPECT_EQ(copy->CopyFrom(nullptr), kGfxFailed);
  EXPECT_EQ(copy->format, 0u);
}

TEST(DibImageConvertTest, MapsOntoAPaletteAndRefusesWhatItCannot) {
  SurfaceRef<DibImage> image = DibImage::New();
  ASSERT_EQ(image->CreateBlank(2, 2, kFormatRgb888), 0);
  image->FillRect(0, 0, 2, 2, 0x0000FF00);
  EXPECT_EQ(image->ConvertFormat(kFormatRgb888, nullptr, 0), 0) << "already in that format";
  EXPECT_EQ(image->ConvertFormat(kFormatIndexed8, nullptr, 1), kGfxFailed) << "8 bits need a palette";
  PaletteRef palette = Palette::New();
  palette->Create(256);
  const std::vector<PaletteEntry> green(1, PaletteEntry{0, 255, 0, 0});
  palette->SetEntries(green, 200, 1);
  ASSERT_EQ(image->ConvertFormat(kFormatIndexed8, palette.get(), 1), 0);
  EXPECT_EQ(image->format, kFormatIndexed8);
  EXPECT_EQ(image->GetPixel(1, 1), 200u);
  EXPECT_EQ(image->GetPalette()->Entries()[200], green[0]);
  EXPECT_EQ(DibImage::New()->ConvertFormat(kFormatRgb888, nullptr, 0), kGfxNoImage);
}

}  // namespace
}  // namespace ossen
