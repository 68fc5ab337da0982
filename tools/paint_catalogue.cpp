// paint_catalogue: writes the collection's paintings as JPEG files, so people can look at them.
//   paint_catalogue <out-folder> [number...] [--size WxH]
// Exit code 0 on success, 1 when a file cannot be written, 2 for bad usage.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "res/painter/painter.h"

namespace {

constexpr int kPaintingCount = 35;
constexpr int kJpegQuality = 90;

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

bool WriteJpeg(const std::string& path, const ossen::RgbImage& image) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = static_cast<JDIMENSION>(image.width);
  info.image_height = static_cast<JDIMENSION>(image.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, kJpegQuality, TRUE);
  jpeg_start_compress(&info, TRUE);
  const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
  while (info.next_scanline < info.image_height) {
    // libjpeg's interface takes non-const rows; it only reads them.
    JSAMPROW row = const_cast<JSAMPLE*>(image.pixels.data() + info.next_scanline * stride);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
  return std::fclose(file) == 0 && flushed;
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
