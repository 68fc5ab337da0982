// paint_catalogue: writes the collection's paintings as JPEG files, so people can look at them.
//   paint_catalogue <out-folder> [number...] [--size WxH]
// Exit code 0 on success, 1 when a file cannot be written, 2 for bad usage.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/base/file_io.h"
#include "res/library/painting_jpeg.h"
#include "res/painter/painter.h"

namespace {

constexpr int kPaintingCount = 35;

int Usage() {
  std::fprintf(stderr, "usage: paint_catalogue <out-folder> [number...] [--size WxH]\n");
  return 2;
}

// A whole decimal number in [low, high], or -1.
int ParseNumber(const std::string& text, int low, int high) {
  if (text.empty() || text.size() > 6) return -1;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value >= low && value <= high ? value : -1;
}

bool ParseSize(const std::string& text, int& width, int& height) {
  const auto x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  width = ParseNumber(text.substr(0, x), 1, 4096);
  height = ParseNumber(text.substr(x + 1), 1, 4096);
  return width > 0 && height > 0;
}

// The painting as the picture library stores it: the same JPEG encoder and settings.
bool WriteJpeg(const std::string& path, const ossen::RgbImage& image) {
  const std::vector<std::uint8_t> jpeg =
      ossen::EncodeBaselineJpeg(ossen::RgbPixels{image.pixels.data(), image.width, image.height});
  return !jpeg.empty() && ossen::WriteFileAtomically(path, jpeg.data(), jpeg.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string folder = argv[1];
  int width = 1024;
  int height = 768;
  std::vector<int> numbers;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--size") {
      if (i + 1 >= argc || !ParseSize(argv[++i], width, height)) return Usage();
      continue;
    }
    const int number = ParseNumber(arg, 1, kPaintingCount);
    if (number < 0) return Usage();
    numbers.push_back(number);
  }
  if (numbers.empty()) {
    for (int number = 1; number <= kPaintingCount; ++number) numbers.push_back(number);
  }
  for (int number : numbers) {
    char name[32];
    std::snprintf(name, sizeof name, "/paint_%02d.jpg", number);
    const std::string path = folder + name;
    if (!WriteJpeg(path, ossen::PaintCatalogueImage(number, width, height))) {
      std::fprintf(stderr, "paint_catalogue: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
