// piclib run as a program on catalogues and JPEG files the tests make.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/packed_dib.h"
#include "platform/win32/module.h"
#include "res/library/painting_jpeg.h"
#include "schedule/catalogue.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct PiclibRun {
  int exitCode = -1;  // -1: the program did not exit normally
  std::string err;
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const std::string& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// Arguments are the tests' own file names: plain words without quotes or spaces.
PiclibRun RunPiclib(const std::string& args) {
  const std::string command = std::string("'") + PICLIB_PATH + "' " + args + " >out.txt 2>err.txt";
  const int status = std::system(command.c_str());
  PiclibRun run;
  if (status != -1 && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  run.err = ReadText("err.txt");
  return run;
}

std::string MakeJpeg(int width, int height, int seed) {
  Bytes pixels(static_cast<std::size_t>(width * height * 3));
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * seed / 7);
  const Bytes jpeg = EncodeBaselineJpeg({pixels.data(), width, height});
  return std::string(jpeg.begin(), jpeg.end());
}

std::string ResourceText(HMODULE module, const char* name, const char* type) {
  HRSRC found = FindResource(module, name, type);
  if (!found) return {};
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
  return std::string(bytes, SizeofResource(module, found));
}

class PiclibTest : public ::testing::Test {
 protected:
  ossen::testing::TempPrefix prefix;
};

TEST_F(PiclibTest, PacksTheCataloguedPicturesIntoALibraryThatLoads) {
  const std::string first = MakeJpeg(64, 48, 3), second = MakeJpeg(40, 30, 5);
  std::filesystem::create_directory("pictures");
  WriteText("pictures/one.jpg", first);
  WriteText("pictures/two.jpg", second);
  const std::string catalogue = "# my collection\n\npictures/one.jpg|First Light|A. Painter\npictures/two.jpg|Dusk|\n";
  WriteText("catalogue.txt", catalogue);

  const PiclibRun run = RunPiclib("catalogue.txt mine.rcc");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string library = ReadText("mine.rcc");
  HMODULE module = LoadModuleFromImage(Bytes(library.begin(), library.end()));
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(ResourceText(module, "A1", "BIN"), first);  // the files' bytes as they are
  EXPECT_EQ(ResourceText(module, "A2", "BIN"), second);
  EXPECT_EQ(ResourceText(module, "CATALOGUE", "TXT"), catalogue);
  for (const char* preview : {"A1P", "A2P"}) {
    const std::string stored = ResourceText(module, preview, "BIN");
    const ByteView dib = FindInfoHeader({reinterpret_cast<const std::uint8_t*>(stored.data()), stored.size()});
    BitmapInfoHeader header{};
    ASSERT_TRUE(ReadInfoHeader(dib, header)) << preview;
    EXPECT_EQ(header.width, 169);
    EXPECT_EQ(header.bitCount, 8);
    EXPECT_EQ(std::memcmp(&header.compression, "PKC1", 4), 0);
    EXPECT_EQ(PackedDibTotalSize(dib), dib.size());
  }
  EXPECT_EQ(FindResource(module, "A0P", "BIN"), nullptr);
  EXPECT_EQ(FindResource(module, "A36", "BIN"), nullptr);

  // Numbers 3 to 35 keep the bundled paintings, and a new schedule the bundled titles.
  const std::string bundled = ReadText(OSSEN_BUNDLED_LIBRARY);
  HMODULE original = LoadModuleFromImage(Bytes(bundled.begin(), bundled.end()));
  ASSERT_NE(original, nullptr);
  for (int n = 3; n <= 35; ++n) {
    for (const std::string& name : {"A" + std::to_string(n), "A" + std::to_string(n) + "P"}) {
      const std::string kept = ResourceText(module, name.c_str(), "BIN");
      EXPECT_FALSE(kept.empty()) << name;
      EXPECT_EQ(kept, ResourceText(original, name.c_str(), "BIN")) << name;
    }
  }
  FreeLibrary(original);
  const SlotCatalogue titles = LibrarySlotCatalogue(module);
  EXPECT_EQ(titles.titles[0], "First Light");
  EXPECT_EQ(titles.artists[0], "A. Painter");
  EXPECT_EQ(titles.titles[1], "Dusk");
  EXPECT_EQ(titles.artists[1], "");
  EXPECT_EQ(titles.titles[2], CatalogueTitles[2]);
  EXPECT_EQ(titles.artists[34], CatalogueArtists[34]);
  FreeLibrary(module);
}

TEST_F(PiclibTest, FillsTheRestFromAnotherBaseWithItsTitles) {
  std::string full;
  for (int n = 1; n <= 35; ++n) {
    WriteText("p" + std::to_string(n) + ".jpg", MakeJpeg(16, 12, n));
    full += "p" + std::to_string(n) + ".jpg|Base " + std::to_string(n) + "|Base Painter\n";
  }
  WriteText("full.txt", full);
  ASSERT_EQ(RunPiclib("full.txt full.rcc --base /nonexistent.rcc").exitCode, 0);  // needs no base

  // UTF-8 titles become the records' single-byte text.
  WriteText("one.txt", "p1.jpg|\xC3\x96l auf Holz|Dagny M\xC3\xB8ller");
  const PiclibRun run = RunPiclib("one.txt mine.rcc --base full.rcc");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string library = ReadText("mine.rcc");
  HMODULE module = LoadModuleFromImage(Bytes(library.begin(), library.end()));
  ASSERT_NE(module, nullptr);
  const SlotCatalogue titles = LibrarySlotCatalogue(module);
  EXPECT_EQ(titles.titles[0], "\xD6l auf Holz");
  EXPECT_EQ(titles.artists[0], "Dagny M\xF8ller");
  for (int row = 1; row < 35; ++row) {
    EXPECT_EQ(titles.titles[row], "Base " + std::to_string(row + 1));
    EXPECT_EQ(titles.artists[row], "Base Painter");
  }
  EXPECT_EQ(ResourceText(module, "A35", "BIN"), ReadText("p35.jpg"));
  FreeLibrary(module);

  // A base that cannot fill the numbers left is refused before anything is written.
  PiclibRun refused = RunPiclib("one.txt out.rcc --base /nonexistent.rcc");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("/nonexistent.rcc: cannot be read"), std::string::npos) << refused.err;
  refused = RunPiclib("one.txt out.rcc --base full.txt");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("not a picture library"), std::string::npos) << refused.err;
  EXPECT_FALSE(std::filesystem::exists("out.rcc"));
  EXPECT_EQ(RunPiclib("one.txt out.rcc --base").exitCode, 2);
}

TEST_F(PiclibTest, RefusesBadPicturesAndLinesWithoutWritingAnything) {
  const std::string good = MakeJpeg(32, 24, 3);
  WriteText("good.jpg", good);
  WriteText("cut.jpg", good.substr(0, good.size() / 2));  // decodes only with a warning
  WriteText("text.jpg", "not a picture at all");
  // Stray bytes before the end marker: decodable, but only with the decoder's complaint.
  WriteText("stray.jpg", good.substr(0, good.size() - 2) + "xyz" + good.substr(good.size() - 2));

  const struct {
    const char* catalogue;
    const char* reasonPart;
  } cases[] = {
      {"good.jpg|One|P\ncut.jpg|Two|P\n", "catalogue.txt:2: "},
      {"text.jpg|One|P\n", "text.jpg: not a JPEG picture"},
      {"stray.jpg|One|P\n", "stray.jpg: damaged JPEG picture"},
      {"missing.jpg|One|P\n", "missing.jpg: no such file"},
      {"good.jpg|One\n", "line 1: expected file|title|painter"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.catalogue);
    WriteText("catalogue.txt", c.catalogue);
    const PiclibRun run = RunPiclib("catalogue.txt out.rcc");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(c.reasonPart), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;  // one line
    EXPECT_FALSE(std::filesystem::exists("out.rcc"));
  }
  EXPECT_EQ(RunPiclib("catalogue.txt").exitCode, 2);
  EXPECT_EQ(RunPiclib("a b c").exitCode, 2);
}

TEST_F(PiclibTest, ReportsAnRccThatCannotRun) {
  WriteText("good.jpg", MakeJpeg(32, 24, 3));
  WriteText("catalogue.txt", "good.jpg|One|P\n");
  setenv("OSSEN_RCC", "/nonexistent/rcc", 1);
  const PiclibRun run = RunPiclib("catalogue.txt out.rcc");
  unsetenv("OSSEN_RCC");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("/nonexistent/rcc"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists("out.rcc"));
}

}  // namespace
}  // namespace ossen
