// Runs the real dibtool program on files the tests make.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "image/four_cc.h"
#include "image/packed_dib.h"
#include "image/test/jpeg_writer.h"
#include "image/test/test_images.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

using testing::Bytes;
using testing::HeaderOf;
using testing::EncodeJpeg;
using testing::MakeDib;
using testing::PutWord;

struct Outcome {
  int exitCode = -1;  // -1: the program did not exit normally (a crash)
  std::string out;
  std::string err;
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

Bytes ReadAll(const std::string& path) {
  const std::string text = ReadText(path);
  return Bytes(text.begin(), text.end());
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Arguments are the tests' own file names: plain words without quotes or spaces.
Outcome RunDibtool(const std::string& args) {
  const std::string command = std::string("'") + DIBTOOL_PATH + "' " + args + " >out.txt 2>err.txt";
  const int status = std::system(command.c_str());
  Outcome outcome;
  if (status != -1 && WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
  outcome.out = ReadText("out.txt");
  outcome.err = ReadText("err.txt");
  return outcome;
}

bool IsOneLine(const std::string& text) { return !text.empty() && text.find('\n') == text.size() - 1; }

Bytes WithFileHeader(const Bytes& dib) {
  // The values the shipped images carry, which a reader never looks at.
  const std::uint8_t fileHeader[14] = {'B', 'M', 0x45, 0x00, 0x94, 0x0C, 159, 0, 0, 0, 0x36, 0x04, 0, 0};
  Bytes file(sizeof fileHeader + dib.size());
  std::memcpy(file.data(), fileHeader, sizeof fileHeader);
  if (!dib.empty()) std::memcpy(file.data() + sizeof fileHeader, dib.data(), dib.size());
  return file;
}

// A written BMP file: "BM", its size, and the offset of its pixel data.
Bytes PackedDibOfBmp(const Bytes& file) {
  EXPECT_GE(file.size(), 54u);
  if (file.size() < 54) return {};
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  const Bytes dib(file.begin() + 14, file.end());
  std::uint32_t size = 0, offset = 0;
  std::memcpy(&size, file.data() + 2, 4);
  std::memcpy(&offset, file.data() + 10, 4);
  EXPECT_EQ(size, file.size());
  EXPECT_EQ(offset, 14 + PackedDibHeaderSize(dib));
  return dib;
}

class DibtoolTest : public ::testing::Test {
 protected:
  ossen::testing::TempPrefix prefix_;
};

TEST_F(DibtoolTest, BadUsageExitsWithTwoAndTheUsage) {
  WriteAll("in.bmp", Bytes(100, 0));
  for (const char* args : {"", "frobnicate in.bmp", "info", "info a b", "decode in.bmp", "encode ARLE in.bmp",
                           "encode XXXX in.bmp out", "encode arle in.bmp out", "encode PKC1 in.bmp out"}) {
    SCOPED_TRACE(args);
    const Outcome outcome = RunDibtool(args);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_NE(outcome.err.find("usage: dibtool"), std::string::npos);
  }
  EXPECT_FALSE(std::ifstream("out").good()) << "nothing written on bad usage";
}

TEST_F(DibtoolTest, InfoPrintsTheHeaderFieldsAndSizes) {
  std::mt19937 rng(5);
  WriteAll("page.bmp", WithFileHeader(MakeDib(33, 7, 8, 0, rng)));
  ASSERT_EQ(RunDibtool("encode PKCC page.bmp page.pkc").exitCode, 0);
  const Outcome outcome = RunDibtool("info page.pkc");
  EXPECT_EQ(outcome.exitCode, 0);
  const BitmapInfoHeader header = HeaderOf(PackedDibOfBmp(ReadAll("page.pkc")));
  const std::string expected = "width: 33\nheight: 7\nbit count: 8\ncompression: PKC1\nformat code: 0x48000000\n"
                               "header size: 1064\nimage size: " + std::to_string(header.imageSize) +
                               "\ntotal size: " + std::to_string(1064 + header.imageSize) + "\n";
  EXPECT_EQ(outcome.out, expected);

  WriteAll("rgb16.dib", MakeDib(3, 2, 16, 3, rng));
  EXPECT_NE(RunDibtool("info rgb16.dib").out.find("compression: BI_BITFIELDS\nformat code: 0x10E40565\n"
                                                  "header size: 52\nimage size: 16\ntotal size: 68\n"),
            std::string::npos);
}

TEST_F(DibtoolTest, EveryCodeRoundTripsAtEveryDepthItTakes) {
  struct Case {
    const char* code;
    int bitCount;
    std::uint32_t compression;
    DWORD stored;
  };
  const Case cases[] = {
      {"PKCC", 1, 0, kCompressionPkc1},  {"PKCC", 4, 0, kCompressionPkc1},  {"PKCC", 8, 0, kCompressionPkc1},
      {"PKCC", 16, 3, kCompressionPkc2}, {"PKCC", 24, 0, kCompressionPkc1}, {"PKCC", 32, 3, kCompressionPkc2},
      {"ARLE", 8, 0, kCompressionArle},  {"PRLE", 8, 0, kCompressionPrle},  {"TRLE", 8, 0, kCompressionTrle},
  };
  std::mt19937 rng(11);
  for (const Case& c : cases) {
    for (int width : {1, 5, 70}) {
      SCOPED_TRACE(std::string(c.code) + " " + std::to_string(c.bitCount) + " bits, width " + std::to_string(width));
      const Bytes dib = MakeDib(width, 9, c.bitCount, c.compression, rng);
      const bool withFileHeader = width != 5;
      WriteAll("in.bmp", withFileHeader ? WithFileHeader(dib) : dib);
      ASSERT_EQ(RunDibtool(std::string("encode ") + c.code + " in.bmp packed").exitCode, 0);
      EXPECT_EQ(HeaderOf(PackedDibOfBmp(ReadAll("packed"))).compression, c.stored);
      const Outcome decoded = RunDibtool("decode packed out.bmp");
      ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
      EXPECT_EQ(PackedDibOfBmp(ReadAll("out.bmp")), dib);
    }
  }
}

TEST_F(DibtoolTest, DecodesJpegPicturesToTwentyFourBits) {
  WriteAll("photo.jpg", EncodeJpeg({10, 6, 3}, [](unsigned x, unsigned y, std::uint8_t* s) {
             testing::SmoothSample(x, y, 3, s);
           }));
  ASSERT_EQ(RunDibtool("decode photo.jpg photo.bmp").exitCode, 0);
  const Bytes dib = PackedDibOfBmp(ReadAll("photo.bmp"));
  EXPECT_EQ(dib.size(), 40u + 32 * 6);
  EXPECT_EQ(HeaderOf(dib).bitCount, 24);
  EXPECT_EQ(HeaderOf(dib).width, 10);
  EXPECT_EQ(RunDibtool("info photo.jpg").out.substr(0, 34), "width: 10\nheight: 6\nbit count: 24\n");

  const Outcome cannot = RunDibtool("encode ARLE photo.jpg out");
  EXPECT_EQ(cannot.exitCode, 1);
  EXPECT_EQ(cannot.err, "dibtool: cannot encode a 24-bit image as ARLE (8-bit images only)\n");
  EXPECT_EQ(RunDibtool("encode PKCC photo.jpg out").exitCode, 0);

  WriteAll("cmyk.jpg", EncodeJpeg({8, 8, 4}, [](unsigned x, unsigned y, std::uint8_t* s) {
             testing::SmoothSample(x, y, 4, s);
           }));
  const Outcome cmyk = RunDibtool("decode cmyk.jpg out.bmp");
  EXPECT_EQ(cmyk.exitCode, 1);
  EXPECT_EQ(cmyk.err, "dibtool: cmyk.jpg: JPEG picture refused: JPEG : Unsupported number of colour components: 4\n");
}

TEST_F(DibtoolTest, RefusesBadInputWithOneLine) {
  std::mt19937 rng(3);
  Bytes foreign = MakeDib(4, 4, 8, 0, rng);
  PutWord(foreign, 16, MakeFourCC('Z', 'I', 'P', '!'));
  PutWord(foreign, 20, 16);
  Bytes huge = MakeDib(4, 4, 24, 0, rng);
  PutWord(huge, 4, 0x7FFFFFFF);
  Bytes arleRow = MakeDib(8, 2, 8, 0, rng);
  WriteAll("plain.bmp", arleRow);
  ASSERT_EQ(RunDibtool("encode ARLE plain.bmp good.arle").exitCode, 0);
  Bytes badOffset = ReadAll("good.arle");
  PutWord(badOffset, 14 + 1064, 0x10000);  // the top row's stream far beyond the data
  const Bytes whole = ReadAll("good.arle");
  const std::vector<std::pair<std::string, Bytes>> files = {
      {"empty", {}},
      {"short", Bytes{'B', 'M', 1, 2, 3}},
      {"text", Bytes(200, 'x')},
      {"foreign", foreign},
      {"huge", huge},
      {"cut", Bytes(whole.begin(), whole.end() - 3)},
      {"badoffset", badOffset},
      {"notjpeg", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 0}},
  };
  for (const auto& [name, bytes] : files) {
    WriteAll(name, bytes);
    for (const std::string& command : {"info " + name, "decode " + name + " out.bmp"}) {
      SCOPED_TRACE(command);
      const Outcome outcome = RunDibtool(command);
      if ((name == "badoffset" || name == "foreign") && command.rfind("info", 0) == 0) {
        EXPECT_EQ(outcome.exitCode, 0) << "the header itself is sound: info shows it";
        continue;
      }
      EXPECT_EQ(outcome.exitCode, 1);
      EXPECT_TRUE(IsOneLine(outcome.err)) << outcome.err;
    }
  }
  const Outcome missing = RunDibtool("decode nothing.bmp out.bmp");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err, "dibtool: nothing.bmp: no such file\n");
  EXPECT_FALSE(std::ifstream("out.bmp").good()) << "no output from refused input";
}

// Rows of an uncompressed 8-bit bitmap file, bottom row first, as the file stores them.
Bytes PixelRowsOf(const Bytes& file) {
  const Bytes dib = PackedDibOfBmp(file);
  const std::size_t headerSize = PackedDibHeaderSize(dib);
  return headerSize ? Bytes(dib.begin() + static_cast<std::ptrdiff_t>(headerSize), dib.end()) : Bytes();
}

// ImageMagick saves palette pictures as BMP3 with BI_RLE8 rows. The checked-in pair is one
// such file (23 x 9, so rows carry padding) and the same picture saved uncompressed.
TEST_F(DibtoolTest, ReadsRunLengthBitmapsAsPaintProgramsWriteThem) {
  const std::string data = TOOLS_TEST_DATA;
  WriteAll("rle8.bmp", ReadAll(data + "/palette_rle8.bmp"));
  const Bytes stored = ReadAll("rle8.bmp");
  ASSERT_EQ(HeaderOf(Bytes(stored.begin() + 14, stored.end())).compression, 1u);
  EXPECT_NE(RunDibtool("info rle8.bmp").out.find("compression: BI_RLE8\n"), std::string::npos);

  const Outcome decoded = RunDibtool("decode rle8.bmp plain.bmp");
  ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
  const Bytes expected = ReadAll(data + "/palette_plain.bmp");
  EXPECT_EQ(PixelRowsOf(ReadAll("plain.bmp")), PixelRowsOf(expected));
  EXPECT_EQ(HeaderOf(PackedDibOfBmp(ReadAll("plain.bmp"))).compression, BI_RGB);

  // The paths that load the picture as an image object take it too.
  EXPECT_EQ(RunDibtool("scale 46 18 rle8.bmp big.bmp").exitCode, 0);
  EXPECT_EQ(RunDibtool("map rle8.bmp rle8.bmp mapped.bmp").exitCode, 0);
  EXPECT_EQ(RunDibtool("encode PKCC rle8.bmp packed.bmp").exitCode, 0);

  // A damaged stream is refused with what is wrong and where.
  Bytes cut = ReadAll("rle8.bmp");
  cut.resize(cut.size() - 40);
  PutWord(cut, 14 + 20, 0);  // no image size: the stream runs to the end of the file
  WriteAll("cut.bmp", cut);
  const Outcome refused = RunDibtool("decode cut.bmp out.bmp");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_TRUE(IsOneLine(refused.err));
  EXPECT_NE(refused.err.find("damaged BI_RLE8 data: BI_RLE8 data ends before its end-of-bitmap mark"),
            std::string::npos) << refused.err;

  // Compressions no part of the program reads are named.
  Bytes jpegInside = ReadAll("plain.bmp");
  PutWord(jpegInside, 14 + 16, 4);
  PutWord(jpegInside, 14 + 20, 16);
  WriteAll("jpeg_inside.bmp", jpegInside);
  for (const char* command : {"decode jpeg_inside.bmp out.bmp", "scale 4 4 jpeg_inside.bmp out.bmp"}) {
    const Outcome outcome = RunDibtool(command);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.err.find("unsupported compression BI_JPEG"), std::string::npos) << outcome.err;
  }
}

// A picture saved by this machine's ImageMagick right now, compared pixel by pixel with what
// ImageMagick itself reads from it.
TEST_F(DibtoolTest, ReadsWhatThisMachinesImageMagickWrites) {
  if (std::system("command -v convert >/dev/null 2>&1 && command -v compare >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "ImageMagick is not installed";
  }
  ASSERT_EQ(std::system("convert -size 31x13 gradient:yellow-navy -swirl 150 tiny.jpg && "
                        "convert tiny.jpg -colors 256 -type palette BMP3:tiny.bmp"), 0);
  const Bytes written = ReadAll("tiny.bmp");
  ASSERT_GT(written.size(), 54u);
  EXPECT_EQ(HeaderOf(Bytes(written.begin() + 14, written.end())).compression, 1u) << "expected BI_RLE8";
  const Outcome decoded = RunDibtool("decode tiny.bmp plain.bmp");
  ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
  // compare prints the number of differing pixels on standard error.
  ASSERT_EQ(std::system("compare -metric AE tiny.bmp plain.bmp null: 2>differing.txt; true"), 0);
  EXPECT_EQ(ReadText("differing.txt"), "0");
}

// Damaged stored images of every code: whatever the bytes, the program exits with 0 or 1.
TEST_F(DibtoolTest, NeverCrashesOnDamagedFiles) {
  std::mt19937 rng(17);
  const Bytes plain8 = MakeDib(37, 11, 8, 0, rng);
  WriteAll("plain8.bmp", plain8);
  std::vector<Bytes> stored;
  for (const char* code : {"PKCC", "ARLE", "PRLE", "TRLE"}) {
    ASSERT_EQ(RunDibtool(std::string("encode ") + code + " plain8.bmp enc").exitCode, 0);
    stored.push_back(ReadAll("enc"));
  }
  for (int round = 0; round < 40; ++round) {
    Bytes bytes = stored[round % stored.size()];
    for (int flips = 1 + static_cast<int>(rng() % 6); flips > 0; --flips) {
      const std::size_t at = 14 + rng() % (bytes.size() - 14);
      bytes[at] = static_cast<std::uint8_t>(rng());
    }
    if (round % 5 == 0) bytes.resize(rng() % bytes.size());
    WriteAll("damaged", bytes);
    const Outcome outcome = RunDibtool("decode damaged out.bmp");
    ASSERT_TRUE(outcome.exitCode == 0 || outcome.exitCode == 1) << "round " << round;
    if (outcome.exitCode == 1) {
      EXPECT_TRUE(IsOneLine(outcome.err)) << outcome.err;
    }
  }
}

// The pixel bytes of an 8-bit packed DIB, top row first.
std::vector<Bytes> EightBitRowsOf(const Bytes& dib) {
  const BitmapInfoHeader header = HeaderOf(dib);
  const std::size_t stride = (static_cast<std::size_t>(header.width) + 3) & ~std::size_t{3};
  std::vector<Bytes> rows;
  for (LONG r = header.height - 1; r >= 0; --r) {
    const auto row = dib.begin() + 1064 + static_cast<std::ptrdiff_t>(stride * r);
    rows.emplace_back(row, row + header.width);
  }
  return rows;
}

TEST_F(DibtoolTest, MapPutsPicturesOnAnotherImagesPalette) {
  // A palette that is black but for red at 42 and green at 7 (stored blue, green, red).
  Bytes paletteImage = testing::MakeEightBitRows({{0, 1}, {2, 3}});
  std::fill(paletteImage.begin() + 40, paletteImage.begin() + 1064, 0);
  paletteImage[40 + 42 * 4 + 2] = 255;
  paletteImage[40 + 7 * 4 + 1] = 255;
  WriteAll("theme.bmp", WithFileHeader(paletteImage));
  ASSERT_EQ(RunDibtool("encode PKCC theme.bmp theme.pkc").exitCode, 0);

  // A 3 x 2 24-bit picture: top row red, green, red; bottom row green, green, red.
  std::mt19937 rng(9);
  Bytes picture = MakeDib(3, 2, 24, 0, rng);
  const std::uint8_t red[3] = {0, 0, 255}, green[3] = {0, 255, 0};
  const std::uint8_t* bottomUp[2][3] = {{green, green, red}, {red, green, red}};
  for (int r = 0; r < 2; ++r) {
    for (int x = 0; x < 3; ++x) std::memcpy(picture.data() + 40 + 12 * r + 3 * x, bottomUp[r][x], 3);
  }
  WriteAll("picture.bmp", picture);

  for (const char* args : {"map theme.pkc picture.bmp out.bmp", "map theme.bmp picture.bmp out.bmp --dither"}) {
    SCOPED_TRACE(args);
    ASSERT_EQ(RunDibtool(args).exitCode, 0);
    const Bytes out = PackedDibOfBmp(ReadAll("out.bmp"));
    EXPECT_EQ(HeaderOf(out).bitCount, 8);
    EXPECT_EQ(Bytes(out.begin() + 40, out.begin() + 1064), Bytes(paletteImage.begin() + 40, paletteImage.begin() + 1064));
    EXPECT_EQ(EightBitRowsOf(out), (std::vector<Bytes>{{42, 7, 42}, {7, 7, 42}}));
  }

  EXPECT_EQ(RunDibtool("map picture.bmp theme.bmp out.bmp").exitCode, 1) << "a 24-bit palette image";
  EXPECT_EQ(RunDibtool("map theme.bmp missing.bmp out.bmp").exitCode, 1);
  EXPECT_EQ(RunDibtool("map theme.bmp picture.bmp").exitCode, 2);
  EXPECT_EQ(RunDibtool("map theme.bmp picture.bmp out.bmp --fast").exitCode, 2);
}

TEST_F(DibtoolTest, ScaleRepeatsAndDropsPixelsKeepingThePalette) {
  Bytes image = testing::MakeEightBitRows({{1, 2}, {3, 4}});
  for (std::size_t i = 40 + 3; i < 1064; i += 4) image[i] = 0;  // the reserved bytes stay 0 when written
  WriteAll("small.bmp", WithFileHeader(image));
  ASSERT_EQ(RunDibtool("scale 4 3 small.bmp big.bmp").exitCode, 0);
  const Bytes big = PackedDibOfBmp(ReadAll("big.bmp"));
  EXPECT_EQ(HeaderOf(big).width, 4);
  EXPECT_EQ(HeaderOf(big).height, 3);
  EXPECT_EQ(Bytes(big.begin() + 40, big.begin() + 1064), Bytes(image.begin() + 40, image.begin() + 1064));
  EXPECT_EQ(EightBitRowsOf(big), (std::vector<Bytes>{{1, 1, 2, 2}, {1, 1, 2, 2}, {3, 3, 4, 4}})) << "upright";

  ASSERT_EQ(RunDibtool("scale 1 1 big.bmp one.bmp").exitCode, 0);
  EXPECT_EQ(EightBitRowsOf(PackedDibOfBmp(ReadAll("one.bmp"))), (std::vector<Bytes>{{1}}));

  std::mt19937 rng(10);
  WriteAll("deep.bmp", MakeDib(2, 2, 24, 0, rng));
  EXPECT_EQ(RunDibtool("scale 4 4 deep.bmp out.bmp").exitCode, 1) << "8-bit images only";
  for (const char* args : {"scale 0 4 small.bmp out.bmp", "scale 4 65536 small.bmp out.bmp", "scale -1 4 small.bmp o",
                           "scale 4 4 small.bmp"}) {
    EXPECT_EQ(RunDibtool(args).exitCode, 2) << args;
  }
}

}  // namespace
}  // namespace ossen
