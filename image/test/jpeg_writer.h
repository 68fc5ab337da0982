// JPEG files made at test time with libjpeg's compressor, so no picture comes from elsewhere.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace ossen::testing {

using Bytes = std::vector<std::uint8_t>;

// The sample bytes (components per pixel) of pixel (x, y), top row first.
using SampleSource = std::function<void(unsigned x, unsigned y, std::uint8_t* samples)>;

struct JpegShape {
  unsigned width = 16;
  unsigned height = 16;
  int components = 3;  // 1 grey, 3 RGB, 4 CMYK
  int quality = 90;
  bool progressive = false;
  // Grey pictures only: one progressive scan per coefficient and bit, 631 scans in all.
  bool scanPerBit = false;
};

// DC in one scan, then each AC coefficient alone, its top bits first and every lower bit in
// a refinement scan of its own.
inline std::vector<jpeg_scan_info> ScanPerBitScript() {
  std::vector<jpeg_scan_info> scans;
  scans.push_back({1, {0, 0, 0, 0}, 0, 0, 0, 0});
  for (int k = 1; k < 64; ++k) {
    scans.push_back({1, {0, 0, 0, 0}, k, k, 0, 9});
    for (int bit = 9; bit > 0; --bit) scans.push_back({1, {0, 0, 0, 0}, k, k, bit, bit - 1});
  }
  return scans;
}

// The bytes of a JPEG file holding the picture, made in memory.
inline std::vector<std::uint8_t> EncodeJpeg(const JpegShape& shape, const SampleSource& sample) {
  jpeg_compress_struct encoder{};
  jpeg_error_mgr errors{};
  encoder.err = jpeg_std_error(&errors);
  jpeg_create_compress(&encoder);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&encoder, &buffer, &size);
  encoder.image_width = shape.width;
  encoder.image_height = shape.height;
  encoder.input_components = shape.components;
  encoder.in_color_space = shape.components == 1 ? JCS_GRAYSCALE : shape.components == 3 ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&encoder);
  jpeg_set_quality(&encoder, shape.quality, TRUE);
  if (shape.progressive) jpeg_simple_progression(&encoder);
  const std::vector<jpeg_scan_info> scans = ScanPerBitScript();
  if (shape.scanPerBit) {
    encoder.scan_info = scans.data();
    encoder.num_scans = static_cast<int>(scans.size());
  }
  jpeg_start_compress(&encoder, TRUE);
  std::vector<std::uint8_t> row(std::size_t{shape.width} * shape.components);
  while (encoder.next_scanline < shape.height) {
    for (unsigned x = 0; x < shape.width; ++x) sample(x, encoder.next_scanline, row.data() + x * shape.components);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&encoder, rows, 1);
  }
  jpeg_finish_compress(&encoder);
  std::vector<std::uint8_t> bytes(buffer, buffer + size);
  jpeg_destroy_compress(&encoder);
  std::free(buffer);
  return bytes;
}

// A smooth picture: gradients with a soft diagonal wave, every component different.
inline void SmoothSample(unsigned x, unsigned y, int components, std::uint8_t* samples) {
  for (int c = 0; c < components; ++c) {
    const unsigned value = (x * (2 + c) + y * (3 - c % 2) + ((x + y) / 7) % 16 * 4) % 256;
    samples[c] = static_cast<std::uint8_t>(value);
  }
}

inline bool WriteBytes(const std::string& hostPath, const std::vector<std::uint8_t>& bytes) {
  std::FILE* file = std::fopen(hostPath.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace ossen::testing
