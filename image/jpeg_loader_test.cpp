#include "image/jpeg_loader.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "image/packed_dib.h"
#include "image/test/jpeg_writer.h"
#include "platform/base/trace.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

using testing::Bytes;
using testing::EncodeJpeg;
using testing::JpegShape;
using testing::SmoothSample;
using testing::WriteBytes;

std::vector<std::string> traced;
std::vector<std::string> warnings;

void RecordTrace(const char* line) { traced.emplace_back(line); }
void RecordWarning(const char* message) { warnings.emplace_back(message); }

int OpenDescriptors() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir)) ++count;
    closedir(dir);
  }
  return count;
}

Bytes SmoothJpeg(JpegShape shape) {
  return EncodeJpeg(shape, [&](unsigned x, unsigned y, std::uint8_t* s) { SmoothSample(x, y, shape.components, s); });
}

class JpegLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    traced.clear();
    warnings.clear();
    oldSink_ = SetTraceSink(RecordTrace);
    SetJpegWarningHook(RecordWarning);
  }
  void TearDown() override {
    SetTraceSink(oldSink_);
    SetJpegWarningHook(nullptr);
  }

  // Writes the bytes into the program folder and returns the file's Windows name there.
  std::string Put(const char* name, const Bytes& bytes) {
    EXPECT_TRUE(WriteBytes(prefix_.programDir() + "/" + name, bytes));
    return name;
  }

  ossen::testing::TempPrefix prefix_;
  TraceSink oldSink_ = nullptr;
};

// Checks the block against the decoder's own rows: header as built for 0x18E40888, rows
// bottom-up, blue-green-red, padding zero.
void ExpectDibOfRows(const GlobalBlock& dib, const std::uint8_t* rgb, DWORD width, DWORD height) {
  ASSERT_TRUE(dib);
  const DWORD stride = (3 * width + 3) & ~3u;
  ASSERT_EQ(dib.size(), 40 + std::size_t{stride} * height);
  BitmapInfoHeader header{};
  ASSERT_TRUE(ReadInfoHeader(dib.view(), header));
  EXPECT_EQ(header.size, 40u);
  EXPECT_EQ(header.width, static_cast<LONG>(width));
  EXPECT_EQ(header.height, static_cast<LONG>(height));
  EXPECT_EQ(header.planes, 1);
  EXPECT_EQ(header.bitCount, 24);
  EXPECT_EQ(header.compression, 0u);
  EXPECT_EQ(header.imageSize, 0u);
  EXPECT_EQ(header.colorsUsed, 0u);
  EXPECT_EQ(FormatCodeFromHeader(dib.view()), kFormatRgb888);
  EXPECT_EQ(PackedDibTotalSize(dib.view()), dib.size());
  for (DWORD row = 0; row < height; ++row) {
    const std::uint8_t* stored = dib.data() + 40 + std::size_t{stride} * (height - 1 - row);
    const std::uint8_t* decoded = rgb + std::size_t{3} * width * row;
    for (DWORD x = 0; x < width; ++x) {
      ASSERT_EQ(stored[3 * x], decoded[3 * x + 2]) << "row " << row << " x " << x;
      ASSERT_EQ(stored[3 * x + 1], decoded[3 * x + 1]);
      ASSERT_EQ(stored[3 * x + 2], decoded[3 * x]);
    }
    for (DWORD pad = 3 * width; pad < stride; ++pad) ASSERT_EQ(stored[pad], 0) << "padding of row " << row;
  }
}

TEST_F(JpegLoaderTest, StoresRowsBottomUpInBlueGreenRedWithZeroPadding) {
  struct Size { unsigned width, height; };
  for (Size size : {Size{1, 3}, Size{2, 1}, Size{3, 2}, Size{5, 3}, Size{7, 9}, Size{640, 4}, Size{33, 17}}) {
    for (bool progressive : {false, true}) {
      SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
      const std::string path = Put("pic.jpg", SmoothJpeg({size.width, size.height, 3, 90, progressive}));
      DWORD width = 0, height = 0;
      HeapBytes rgb = DecodeJpegFile(path.c_str(), width, height);
      ASSERT_TRUE(rgb);
      EXPECT_EQ(width, size.width);
      EXPECT_EQ(height, size.height);
      ExpectDibOfRows(LoadJpegAsDib(path.c_str()), rgb.get(), width, height);
    }
  }
  EXPECT_TRUE(traced.empty());
  EXPECT_TRUE(warnings.empty());
}

TEST_F(JpegLoaderTest, StrideFollowsTheWidth) {
  GlobalBlock narrow = LoadJpegAsDib(Put("narrow.jpg", SmoothJpeg({1, 3})).c_str());
  ASSERT_TRUE(narrow);
  EXPECT_EQ(narrow.size(), 40u + 4 * 3) << "1 pixel wide: stride 4";
  GlobalBlock wide = LoadJpegAsDib(Put("wide.jpg", SmoothJpeg({640, 5})).c_str());
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide.size(), 40u + 1920 * 5) << "640 wide: stride 1920";
}

TEST_F(JpegLoaderTest, GreyPictureHasEqualBlueGreenRed) {
  const std::string path = Put("grey.jpg", SmoothJpeg({13, 6, 1}));
  DWORD width = 0, height = 0;
  HeapBytes rgb = DecodeJpegFile(path.c_str(), width, height);
  ASSERT_TRUE(rgb);
  GlobalBlock dib = LoadJpegAsDib(path.c_str());
  ExpectDibOfRows(dib, rgb.get(), width, height);
  bool anyNonZero = false;
  for (DWORD row = 0; row < height; ++row) {
    const std::uint8_t* pixel = dib.data() + 40 + 40 * row;
    for (DWORD x = 0; x < width; ++x, pixel += 3) {
      ASSERT_EQ(pixel[0], pixel[1]);
      ASSERT_EQ(pixel[1], pixel[2]);
      anyNonZero |= pixel[0] != 0;
    }
  }
  EXPECT_TRUE(anyNonZero);
}

// 32-bit pixels 0xXXRRGGBB, decoded straight into their rows: the same colours as the
// 24-bit rows, for colour and grey pictures of any width; a picture over the cap is refused.
TEST_F(JpegLoaderTest, ThirtyTwoBitPixelsHoldTheSameColoursAndTheCapHolds) {
  for (JpegShape shape : {JpegShape{7, 9, 3, 90, false}, JpegShape{33, 17, 3, 90, true}, JpegShape{13, 6, 1}}) {
    SCOPED_TRACE(std::to_string(shape.width) + " x " + std::to_string(shape.height));
    const std::string path = Put("pic.jpg", SmoothJpeg(shape));
    DWORD width = 0, height = 0, width32 = 0, height32 = 0;
    HeapBytes rgb = DecodeJpegFile(path.c_str(), width, height);
    HeapBytes xrgb = DecodeJpegFileAsXrgb(path.c_str(), kJpegMaxPixels, width32, height32);
    ASSERT_TRUE(rgb);
    ASSERT_TRUE(xrgb);
    ASSERT_EQ(width32, width);
    ASSERT_EQ(height32, height);
    for (std::size_t i = 0; i < std::size_t{width} * height; ++i) {
      std::uint32_t pixel = 0;
      std::memcpy(&pixel, xrgb.get() + 4 * i, 4);
      const std::uint8_t* sample = rgb.get() + 3 * i;
      ASSERT_EQ(pixel & 0xFFFFFF, (std::uint32_t{sample[0]} << 16) | (std::uint32_t{sample[1]} << 8) | sample[2])
          << "pixel " << i;
    }
    DWORD refusedWidth = 1, refusedHeight = 1;
    EXPECT_FALSE(DecodeJpegFileAsXrgb(path.c_str(), std::uint64_t{width} * height - 1, refusedWidth, refusedHeight));
    EXPECT_EQ(refusedWidth, 0u);
  }
}

TEST_F(JpegLoaderTest, MissingFileTracesItsPathAndWarnsNobody) {
  DWORD width = 7, height = 7;
  EXPECT_FALSE(DecodeJpegFile("C:\\nowhere\\missing.jpg", width, height));
  EXPECT_EQ(width, 0u);
  EXPECT_EQ(height, 0u);
  EXPECT_FALSE(LoadJpegAsDib("missing.jpg"));
  EXPECT_FALSE(LoadJpegAsDib(nullptr));
  ASSERT_EQ(traced.size(), 3u);
  EXPECT_EQ(traced[0], "JPEG :\nCan't open C:\\nowhere\\missing.jpg\n");
  EXPECT_EQ(traced[1], "JPEG :\nCan't open missing.jpg\n");
  EXPECT_TRUE(warnings.empty());
}

TEST_F(JpegLoaderTest, UnreadableFilesAreFatalAndReleaseEverything) {
  const Bytes whole = SmoothJpeg({32, 32});
  const std::vector<std::pair<const char*, Bytes>> files = {
      {"text.jpg", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'}},
      {"empty.jpg", Bytes{}},
      {"header_cut.jpg", Bytes(whole.begin(), whole.begin() + 40)},
      {"bmp.jpg", Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  const int descriptors = OpenDescriptors();
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    traced.clear();
    const std::string path = Put(name, bytes);
    DWORD width = 1, height = 1;
    EXPECT_FALSE(DecodeJpegFile(path.c_str(), width, height));
    EXPECT_EQ(width, 0u);
    EXPECT_EQ(height, 0u);
    EXPECT_FALSE(LoadJpegAsDib(path.c_str()));
    EXPECT_EQ(traced, (std::vector<std::string>{"JPEG Fatal Error\n", "JPEG Fatal Error\n"}));
  }
  EXPECT_EQ(OpenDescriptors(), descriptors) << "no file stays open";
}

TEST_F(JpegLoaderTest, CmykPicturesAreRefused) {
  const std::string path = Put("cmyk.jpg", SmoothJpeg({8, 8, 4}));
  const int descriptors = OpenDescriptors();
  EXPECT_FALSE(LoadJpegAsDib(path.c_str()));
  ASSERT_EQ(traced.size(), 1u);
  EXPECT_EQ(traced[0], "JPEG :\nUnsupported number of colour components: 4\n");
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST_F(JpegLoaderTest, FilesWithHundredsOfScansAreRefused) {
  JpegShape shape{16, 16, 1, 95};
  shape.scanPerBit = true;
  const std::string path = Put("scans.jpg", SmoothJpeg(shape));
  EXPECT_FALSE(LoadJpegAsDib(path.c_str()));
  EXPECT_EQ(traced, (std::vector<std::string>{"JPEG :\nMore than 500 scans\n", "JPEG Fatal Error\n"}));

  shape.progressive = true;
  shape.scanPerBit = false;
  EXPECT_TRUE(LoadJpegAsDib(Put("ten_scans.jpg", SmoothJpeg(shape)).c_str())) << "ordinary progressive files load";
}

// A file cut inside its scan still decodes (the decoder fills the rest) with warnings.
TEST_F(JpegLoaderTest, CorruptButDecodableFileWarnsOncePerPicture) {
  Bytes cut = SmoothJpeg({64, 64, 3, 95});
  cut.resize(cut.size() * 2 / 3);
  const std::string path = Put("cut.jpg", cut);
  GlobalBlock dib = LoadJpegAsDib(path.c_str());
  ASSERT_TRUE(dib);
  EXPECT_EQ(dib.size(), 40u + 192 * 64);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_FALSE(warnings[0].empty());
  EXPECT_TRUE(traced.empty());

  ASSERT_TRUE(LoadJpegAsDib(path.c_str()));
  EXPECT_EQ(warnings.size(), 2u) << "each decompression shows its own first warning";

  SetJpegWarningHook(nullptr);
  ASSERT_TRUE(LoadJpegAsDib(path.c_str()));
  EXPECT_EQ(warnings.size(), 2u);
  ASSERT_EQ(traced.size(), 1u) << "without a hook the first warning goes to the trace";
  EXPECT_EQ(traced[0].rfind("JPEG Error\n", 0), 0u);
}

TEST(JpegRowHelpers, PadRowsExtendsEachRowWithZeros) {
  const Bytes rows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};  // 3 x 2
  DWORD stride = 0;
  HeapBytes padded = PadRows(rows.data(), 3, 2, stride);
  ASSERT_TRUE(padded);
  EXPECT_EQ(stride, 12u);
  EXPECT_EQ(Bytes(padded.get(), padded.get() + 24),
            (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0}));
  EXPECT_EQ(JpegRowStride(4), 12u) << "a multiple of 4 needs no padding";
  EXPECT_EQ(JpegRowStride(1), 4u);
  EXPECT_EQ(JpegRowStride(640), 1920u);
  EXPECT_FALSE(PadRows(nullptr, 1, 1, stride));
}

TEST(JpegRowHelpers, SwapRedBlueLeavesGreenAndPaddingAlone) {
  Bytes rows = {1, 2, 3, 4, 5, 6, 9, 9, 10, 11, 12, 13, 14, 15, 9, 9};  // 2 x 2, stride 8
  SwapRedBlue(rows.data(), 2, 2, 8);
  EXPECT_EQ(rows, (Bytes{3, 2, 1, 6, 5, 4, 9, 9, 12, 11, 10, 15, 14, 13, 9, 9}));
}

TEST(JpegRowHelpers, FlipRowsReversesTheRowOrder) {
  Bytes odd = {1, 1, 2, 2, 3, 3};
  FlipRows(odd.data(), 2, 3);
  EXPECT_EQ(odd, (Bytes{3, 3, 2, 2, 1, 1})) << "the middle row stays";
  Bytes even = {1, 2, 3, 4};
  FlipRows(even.data(), 1, 4);
  EXPECT_EQ(even, (Bytes{4, 3, 2, 1}));
  Bytes single = {7, 8};
  FlipRows(single.data(), 2, 1);
  FlipRows(single.data(), 2, 0);
  EXPECT_EQ(single, (Bytes{7, 8}));
}

}  // namespace
}  // namespace ossen
