#include "image/jpeg_loader.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include <jpeglib.h>

#include "image/packed_dib.h"
#include "platform/paths.h"
#include "platform/trace.h"

namespace ossen {
namespace {

JpegWarningHook warningHook = nullptr;

// libjpeg's own buffers for one picture (coefficient arrays of progressive files above
// all) stay below this; a file that needs more is refused as a fatal error.
constexpr long kDecoderMemoryLimit = 512L << 20;

// The standard error manager with the recovery point that the replaced error exit jumps to.
struct RecoveringErrorManager {
  jpeg_error_mgr standard;  // first member: libjpeg knows the manager by this address
  std::jmp_buf recovery;
};

// Replaces the library's error exit, which would end the process: leaves the decoder
// through the recovery point instead. Nothing on the way has a destructor to skip.
[[noreturn]] void ExitToRecoveryPoint(j_common_ptr decoder) {
  char message[JMSG_LENGTH_MAX];
  (*decoder->err->format_message)(decoder, message);
  Trace("JPEG Fatal Error\n");
  std::longjmp(reinterpret_cast<RecoveringErrorManager*>(decoder->err)->recovery, 1);
}

// Replaces the library's message output. The standard emit_message only passes on the first
// warning of each decompression, so the hook sees at most one per picture.
void PassOnMessage(j_common_ptr decoder) {
  char message[JMSG_LENGTH_MAX];
  (*decoder->err->format_message)(decoder, message);
  if (warningHook) {
    warningHook(message);
  } else {
    Trace("JPEG Error\n%s\n", message);
  }
}

// Everything one decompression holds. It lives in the frame of DecodeJpegFile, outside the
// frame of the recovery point, so what RunDecoder stored here is still valid after a jump
// back, and DecodeJpegFile releases it on both paths.
struct DecodeJob {
  std::FILE* file;
  jpeg_decompress_struct decoder;
  RecoveringErrorManager errors;
  std::uint8_t* pixels;  // malloc; height rows of 3 x width bytes
  JDIMENSION width;
  JDIMENSION height;
};

// True when the picture can be decoded into 3 bytes per pixel within the caps.
bool IsAcceptedPicture(const jpeg_decompress_struct& decoder) {
  if (decoder.out_color_components != 1 && decoder.out_color_components != 3) {
    Trace("JPEG :\nUnsupported number of colour components: %d\n", decoder.out_color_components);
    return false;
  }
  const std::uint64_t pixels = std::uint64_t{decoder.output_width} * decoder.output_height;
  if (decoder.output_width > kJpegMaxWidth || pixels > kJpegMaxPixels) {
    Trace("JPEG :\nPicture too large: %u x %u\n", decoder.output_width, decoder.output_height);
    return false;
  }
  return true;
}

// Decodes the open file of `job` into job->pixels. The recovery point is set here, so this
// frame holds no object with a destructor and keeps its state in `job` alone.
bool RunDecoder(DecodeJob* job) {
  job->decoder.err = jpeg_std_error(&job->errors.standard);
  job->errors.standard.error_exit = ExitToRecoveryPoint;
  job->errors.standard.output_message = PassOnMessage;
  if (setjmp(job->errors.recovery)) return false;

  jpeg_create_decompress(&job->decoder);
  job->decoder.mem->max_memory_to_use = kDecoderMemoryLimit;
  jpeg_stdio_src(&job->decoder, job->file);
  jpeg_read_header(&job->decoder, TRUE);
  // The output size and components are known before any large buffer exists.
  jpeg_calc_output_dimensions(&job->decoder);
  if (!IsAcceptedPicture(job->decoder)) return false;
  jpeg_start_decompress(&job->decoder);

  const JDIMENSION width = job->decoder.output_width;
  const JDIMENSION height = job->decoder.output_height;
  const std::size_t rowBytes = std::size_t{3} * width;
  job->pixels = static_cast<std::uint8_t*>(std::malloc(rowBytes * height));
  if (!job->pixels) {
    Trace("JpegFile :\nOut of memory\n");
    return false;
  }

  const bool grey = job->decoder.output_components == 1;
  JSAMPARRAY sampleRow = (*job->decoder.mem->alloc_sarray)(
      reinterpret_cast<j_common_ptr>(&job->decoder), JPOOL_IMAGE,
      width * static_cast<JDIMENSION>(job->decoder.output_components), 1);
  while (job->decoder.output_scanline < height) {
    if (jpeg_read_scanlines(&job->decoder, sampleRow, 1) != 1) return false;
    std::uint8_t* out = job->pixels + rowBytes * (job->decoder.output_scanline - 1);
    const JSAMPLE* in = sampleRow[0];
    if (grey) {
      for (JDIMENSION x = 0; x < width; ++x, out += 3) out[0] = out[1] = out[2] = in[x];
    } else {
      std::memcpy(out, in, rowBytes);
    }
  }
  jpeg_finish_decompress(&job->decoder);
  job->width = width;
  job->height = height;
  return true;
}

}  // namespace

JpegWarningHook SetJpegWarningHook(JpegWarningHook hook) { return std::exchange(warningHook, hook); }

HeapBytes DecodeJpegFile(const char* winPath, DWORD& width, DWORD& height) {
  width = 0;
  height = 0;
  const char* shownPath = winPath ? winPath : "";
  const std::string hostPath = HostPathFromWin(shownPath);
  std::FILE* file = hostPath.empty() ? nullptr : std::fopen(hostPath.c_str(), "rb");
  if (!file) {
    Trace("JPEG :\nCan't open %s\n", shownPath);
    return nullptr;
  }

  DecodeJob job{};
  job.file = file;
  const bool decoded = RunDecoder(&job);
  // Safe also when creation never ran or stopped half-way: the record starts zeroed.
  jpeg_destroy_decompress(&job.decoder);
  std::fclose(job.file);
  HeapBytes pixels(job.pixels);
  if (!decoded) return nullptr;
  width = job.width;
  height = job.height;
  return pixels;
}

DWORD JpegRowStride(DWORD width) {
  const std::uint64_t stride = (std::uint64_t{24} * width + 31) / 32 * 4;
  return stride > 0xFFFFFFFFu ? 0 : static_cast<DWORD>(stride);
}

HeapBytes PadRows(const std::uint8_t* rows, DWORD width, DWORD height, DWORD& stride) {
  stride = JpegRowStride(width);
  const std::uint64_t total = std::uint64_t{stride} * height;
  if (!rows || stride == 0 || total > kMaxImageBytes) return nullptr;
  HeapBytes padded(static_cast<std::uint8_t*>(std::malloc(total ? total : 1)));
  if (!padded) return nullptr;
  const std::size_t rowBytes = std::size_t{3} * width;
  const std::size_t padding = stride - rowBytes;
  for (DWORD y = 0; y < height; ++y) {
    std::uint8_t* out = padded.get() + std::size_t{stride} * y;
    std::memcpy(out, rows + rowBytes * y, rowBytes);
    std::memset(out + rowBytes, 0, padding);
  }
  return padded;
}

void SwapRedBlue(std::uint8_t* rows, DWORD width, DWORD height, DWORD stride) {
  for (DWORD y = 0; y < height; ++y) {
    std::uint8_t* pixel = rows + std::size_t{stride} * y;
    for (DWORD x = 0; x < width; ++x, pixel += 3) std::swap(pixel[0], pixel[2]);
  }
}

void FlipRows(std::uint8_t* rows, DWORD stride, DWORD height) {
  for (DWORD top = 0, bottom = height; top + 1 < bottom; ++top, --bottom) {
    std::uint8_t* upper = rows + std::size_t{stride} * top;
    std::uint8_t* lower = rows + std::size_t{stride} * (bottom - 1);
    std::swap_ranges(upper, upper + stride, lower);
  }
}

GlobalBlock LoadJpegAsDib(const char* winPath) {
  DWORD width = 0;
  DWORD height = 0;
  HeapBytes rgbRows = DecodeJpegFile(winPath, width, height);
  if (!rgbRows) return {};
  DWORD stride = 0;
  HeapBytes padded = PadRows(rgbRows.get(), width, height, stride);
  rgbRows.reset();
  if (!padded) return {};
  SwapRedBlue(padded.get(), width, height, stride);

  const std::size_t imageBytes = std::size_t{stride} * height;
  GlobalBlock dib = GlobalBlock::Allocate(kInfoHeaderBytes + imageBytes);
  if (!dib) return {};
  const auto signedHeight = static_cast<LONG>(height);
  if (BuildHeader(static_cast<LONG>(width), signedHeight, kFormatRgb888,
                  std::span<std::uint8_t>(dib.data(), kInfoHeaderBytes)) != kInfoHeaderBytes) {
    return {};
  }
  std::memcpy(dib.data() + offsetof(BitmapInfoHeader, height), &signedHeight, sizeof signedHeight);
  std::memcpy(dib.data() + kInfoHeaderBytes, padded.get(), imageBytes);
  FlipRows(dib.data() + kInfoHeaderBytes, stride, height);
  return dib;
}

}  // namespace ossen
