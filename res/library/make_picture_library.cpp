// make_picture_library: paints the 35 catalogue paintings and writes the picture library's
// resources, "BIN/A<n>P" (the preview with the palette) and "BIN/A<n>" (the JPEG), with
// the resource list that rcc turns into OssenDLL.rcc, and a table of how well each palette
// serves its painting.
//
//   make_picture_library RESOURCE_FOLDER COLOUR_ERROR_FILE
//
// The output depends on nothing but this program and the painter: byte-identical on every
// run. Two paintings are worked on at a time.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/file_io.h"
#include "res/library/colour_error.h"
#include "res/library/colour_quantizer.h"
#include "res/library/module_folder.h"
#include "res/library/painting_jpeg.h"
#include "res/library/preview_picture.h"
#include "res/painter/painter.h"

namespace ossen {
namespace {

constexpr int kPaintings = 35;
constexpr int kPaintingWidth = 1024;
constexpr int kPaintingHeight = 768;

struct LibraryEntry {
  std::vector<std::uint8_t> preview;
  std::vector<std::uint8_t> jpeg;
  ColourError error;
  bool done = false;
};

LibraryEntry MakeEntry(int number) {
  LibraryEntry entry;
  const RgbImage painting = PaintCatalogueImage(number, kPaintingWidth, kPaintingHeight);
  const RgbPixels pixels{painting.pixels.data(), painting.width, painting.height};
  if (!pixels.IsValid() || painting.pixels.size() != pixels.PixelCount() * 3) return entry;
  const PictureColours colours = QuantizeColours(pixels);
  entry.jpeg = EncodeBaselineJpeg(pixels);
  entry.preview = BuildStoredPreview(pixels, colours);
  entry.done = !entry.jpeg.empty() && !entry.preview.empty() && MeasureColourError(pixels, colours, entry.error);
  return entry;
}

// Two threads share the work and nothing else: without a graphics context in this program
// the palettes they make are listed in no process-wide registry.
std::vector<LibraryEntry> MakeAllEntries() {
  std::vector<LibraryEntry> entries(kPaintings);
  std::atomic<int> next{0};
  const auto work = [&] {
    for (int i = next++; i < kPaintings; i = next++) entries[static_cast<std::size_t>(i)] = MakeEntry(i + 1);
  };
  std::thread helper(work);
  work();
  helper.join();
  return entries;
}

std::string ColourErrorTable(const std::vector<LibraryEntry>& entries) {
  std::string table =
      "# Mean colour error of each painting mapped onto its preview's palette through the\n"
      "# inverse table, as the program applies it: mean RGB distance per pixel (0 to 441.7).\n"
      "# painting  all_256  entries_0_to_99\n";
  double sumWhole = 0, sumBand = 0;
  char line[96];
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const ColourError& e = entries[i].error;
    std::snprintf(line, sizeof line, "A%-3zu  %7.3f  %7.3f\n", i + 1, e.wholePalette, e.previewBand);
    table += line;
    sumWhole += e.wholePalette;
    sumBand += e.previewBand;
  }
  const double n = static_cast<double>(entries.size());
  std::snprintf(line, sizeof line, "mean  %7.3f  %7.3f\n", sumWhole / n, sumBand / n);
  return table + line;
}

int Run(const std::string& folder, const std::string& errorFile) {
  const auto start = std::chrono::steady_clock::now();
  const std::vector<LibraryEntry> entries = MakeAllEntries();
  ModuleFolder module(folder);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string number = std::to_string(i + 1);
    if (!entries[i].done) {
      std::fprintf(stderr, "make_picture_library: painting %s could not be made\n", number.c_str());
      return 1;
    }
    if (!module.Add("BIN", "A" + number + "P", entries[i].preview) ||
        !module.Add("BIN", "A" + number, entries[i].jpeg)) {
      std::fprintf(stderr, "make_picture_library: cannot write into %s\n", folder.c_str());
      return 1;
    }
  }
  const std::string table = ColourErrorTable(entries);
  if (module.WriteResourceList("OssenDLL.qrc").empty() ||
      !WriteFileAtomically(errorFile, table.data(), table.size())) {
    std::fprintf(stderr, "make_picture_library: cannot write the resource list or %s\n", errorFile.c_str());
    return 1;
  }
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("picture library: %d paintings in %.1f s, colour errors in %s\n", kPaintings, seconds,
              errorFile.c_str());
  return 0;
}

}  // namespace
}  // namespace ossen

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_picture_library RESOURCE_FOLDER COLOUR_ERROR_FILE\n");
    return 2;
  }
  return ossen::Run(argv[1], argv[2]);
}
