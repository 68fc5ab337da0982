#include "res/library/painting_jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace ossen {
namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps
// back to the encoder's start. Nothing with a destructor lives between the two points.
struct EncoderErrors {
  jpeg_error_mgr manager;
  std::jmp_buf escape;
};

[[noreturn]] void LeaveEncoder(j_common_ptr job) {
  std::longjmp(reinterpret_cast<EncoderErrors*>(job->err)->escape, 1);
}

void IgnoreMessage(j_common_ptr) {}

// Runs the whole compression into a buffer the library allocates (free it with free).
// False on any library error.
bool Compress(RgbPixels picture, int quality, unsigned char*& buffer, unsigned long& size) {
  jpeg_compress_struct job{};
  EncoderErrors errors{};
  job.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = LeaveEncoder;
  errors.manager.output_message = IgnoreMessage;
  if (setjmp(errors.escape) != 0) {
    jpeg_destroy_compress(&job);
    return false;
  }
  jpeg_create_compress(&job);
  jpeg_mem_dest(&job, &buffer, &size);
  job.image_width = static_cast<JDIMENSION>(picture.width);
  job.image_height = static_cast<JDIMENSION>(picture.height);
  job.input_components = 3;
  job.in_color_space = JCS_RGB;
  // Every setting that shapes the bytes is fixed here rather than left to defaults that a
  // library build could change: sequential baseline, 4:2:0 chroma, exact integer DCT.
  jpeg_set_defaults(&job);
  jpeg_set_quality(&job, quality, TRUE);
  job.dct_method = JDCT_ISLOW;
  job.optimize_coding = TRUE;
  job.smoothing_factor = 0;
  job.write_JFIF_header = TRUE;
  job.density_unit = 0;
  job.X_density = 1;
  job.Y_density = 1;
  job.comp_info[0].h_samp_factor = 2;
  job.comp_info[0].v_samp_factor = 2;
  job.comp_info[1].h_samp_factor = job.comp_info[2].h_samp_factor = 1;
  job.comp_info[1].v_samp_factor = job.comp_info[2].v_samp_factor = 1;
  jpeg_start_compress(&job, TRUE);
  while (job.next_scanline < job.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(picture.Pixel(0, static_cast<int>(job.next_scanline)));
    jpeg_write_scanlines(&job, &row, 1);
  }
  jpeg_finish_compress(&job);
  jpeg_destroy_compress(&job);
  return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeBaselineJpeg(RgbPixels picture, int quality) {
  if (!picture.IsValid() || picture.width > JPEG_MAX_DIMENSION || picture.height > JPEG_MAX_DIMENSION ||
      quality < 1 || quality > 100) {
    return {};
  }
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool done = Compress(picture, quality, buffer, size);
  std::vector<std::uint8_t> file;
  if (done && buffer) file.assign(buffer, buffer + size);
  std::free(buffer);
  return file;
}

}  // namespace ossen
