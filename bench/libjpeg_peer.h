// The peer every JPEG benchmark compares against: libjpeg-turbo on its own, decoding a file
// into one buffer of RGB rows, four rows per call.
#pragma once

#include <jpeglib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace ossen::bench {

inline void DecodeWithLibjpeg(const std::string& path, std::vector<std::uint8_t>& out) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return;
  jpeg_decompress_struct decoder{};
  jpeg_error_mgr errors{};
  decoder.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&decoder);
  jpeg_stdio_src(&decoder, file);
  jpeg_read_header(&decoder, TRUE);
  jpeg_start_decompress(&decoder);
  const std::size_t rowBytes = std::size_t{3} * decoder.output_width;
  out.resize(rowBytes * decoder.output_height);  // no allocation once the buffer fits
  while (decoder.output_scanline < decoder.output_height) {
    JSAMPROW rows[4];
    for (int i = 0; i < 4; ++i) {
      const JDIMENSION y = std::min<JDIMENSION>(decoder.output_scanline + i, decoder.output_height - 1);
      rows[i] = out.data() + rowBytes * y;
    }
    jpeg_read_scanlines(&decoder, rows, std::min<JDIMENSION>(4, decoder.output_height - decoder.output_scanline));
  }
  jpeg_finish_decompress(&decoder);
  jpeg_destroy_decompress(&decoder);
  std::fclose(file);
}

}  // namespace ossen::bench
