#include "image/jpeg_loader.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include <jpeglib.h>

#include "image/packed_dib.h"
#include "platform/base/trace.h"
#include "platform/win32/paths.h"

namespace ossen {
namespace {

JpegWarningHook warningHook = nullptr;

// libjpeg's own buffers for one picture (coefficient arrays of progressive files above
// all) stay below this; a file that needs more is refused as a fatal error.
constexpr long kDecoderMemoryLimit = 512L << 20;
// A progressive file may split its data into any number of scans, each costing a pass
// over the whole picture; real pictures use about ten. More than this marks a hostile file.
constexpr int kMaxProgressiveScans = 500;

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

// Called by the library as it works: ends a decompression that has gone on for too many scans.
void LimitScans(j_common_ptr decoder) {
  if (!decoder->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(decoder)->input_scan_number > kMaxProgressiveScans) {
    Trace("JPEG :\nMore than %d scans\n", kMaxProgressiveScans);
    (*decoder->err->error_exit)(decoder);
  }
}

// Where ReadRows puts the decoded rows: `height` rows of `stride` bytes from `first` on.
struct RowLayout {
  std::uint8_t* first;
  std::size_t stride;
  bool bottomUp;  // the picture's last row first in memory
};

// Everything one decompression holds. It lives in the frame of the caller, outside the
// frames that set the recovery point, so what those stored here is still valid after a jump
// back, and the caller releases it on both paths.
struct DecodeJob {
  std::FILE* file;
  bool blueFirst;  // rows blue-green-red instead of red-green-blue
  bool fourBytes;  // 32-bit pixels 0xXXRRGGBB in the machine's byte order, straight from the decoder
  std::uint64_t maxPixels;
  jpeg_decompress_struct decoder;
  RecoveringErrorManager errors;
  jpeg_progress_mgr progress;
};

// True when the picture can be decoded into 3 bytes per pixel within the caps.
bool IsAcceptedPicture(const jpeg_decompress_struct& decoder, bool fourBytes, std::uint64_t maxPixels) {
  const bool accepted = fourBytes ? decoder.out_color_components == 4
                                  : decoder.out_color_components == 1 || decoder.out_color_components == 3;
  if (!accepted) {
    Trace("JPEG :\nUnsupported number of colour components: %d\n", decoder.out_color_components);
    return false;
  }
  const std::uint64_t pixels = std::uint64_t{decoder.output_width} * decoder.output_height;
  if (decoder.output_width > kJpegMaxWidth || pixels > maxPixels) {
    Trace("JPEG :\nPicture too large: %u x %u\n", decoder.output_width, decoder.output_height);
    return false;
  }
  return true;
}

// The two functions below set the recovery point and call the library: their frames hold
// no object with a destructor and keep their state in `job` alone.

// Creates the decoder, reads the header and starts decompression; the output size is then
// known, and nothing large has been allocated before the caps were checked.
bool StartDecoder(DecodeJob* job) {
  job->decoder.err = jpeg_std_error(&job->errors.standard);
  job->errors.standard.error_exit = ExitToRecoveryPoint;
  job->errors.standard.output_message = PassOnMessage;
  if (setjmp(job->errors.recovery)) return false;

  jpeg_create_decompress(&job->decoder);
  job->decoder.mem->max_memory_to_use = kDecoderMemoryLimit;
  job->progress.progress_monitor = LimitScans;
  job->decoder.progress = &job->progress;
  jpeg_stdio_src(&job->decoder, job->file);
  jpeg_read_header(&job->decoder, TRUE);
  // libjpeg-turbo writes blue-green-red as fast as red-green-blue, from every colour space
  // that decodes to 1 or 3 components; a byte swap afterwards would cost a third of the
  // decoding time.
  const J_COLOR_SPACE stored = job->decoder.jpeg_color_space;
  const bool threeChannels = stored == JCS_GRAYSCALE || stored == JCS_YCbCr || stored == JCS_RGB;
  if (job->blueFirst && threeChannels) job->decoder.out_color_space = JCS_EXT_BGR;
  // The filler byte last in memory: the pixel's top byte on a little-endian machine.
  if (job->fourBytes && threeChannels)
    job->decoder.out_color_space = std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;
  jpeg_calc_output_dimensions(&job->decoder);
  if (!IsAcceptedPicture(job->decoder, job->fourBytes, job->maxPixels)) return false;
  jpeg_start_decompress(&job->decoder);
  return true;
}

// Reads every scan line, one per call, through a sample row from the image pool, and
// stores it as the layout asks (a grey sample three times); row padding is written as zero.
bool ReadRows(DecodeJob* job, const RowLayout* layout) {
  if (setjmp(job->errors.recovery)) return false;

  const JDIMENSION width = job->decoder.output_width;
  const JDIMENSION height = job->decoder.output_height;
  if (job->fourBytes) {
    // Straight into the caller's rows, a few at a time: no copy.
    while (job->decoder.output_scanline < height) {
      JSAMPROW rows[4];
      const JDIMENSION first = job->decoder.output_scanline;
      for (JDIMENSION i = 0; i < 4; ++i) rows[i] = layout->first + layout->stride * std::min(first + i, height - 1);
      if (jpeg_read_scanlines(&job->decoder, rows, 4) == 0) return false;
    }
    jpeg_finish_decompress(&job->decoder);
    return true;
  }
  const std::size_t rowBytes = std::size_t{3} * width;
  const bool grey = job->decoder.output_components == 1;
  // Only when the library could not be asked for blue first (StartDecoder).
  const bool swapHere = job->blueFirst && job->decoder.out_color_space != JCS_EXT_BGR;
  JSAMPARRAY sampleRow = (*job->decoder.mem->alloc_sarray)(
      reinterpret_cast<j_common_ptr>(&job->decoder), JPOOL_IMAGE,
      width * static_cast<JDIMENSION>(job->decoder.output_components), 1);
  while (job->decoder.output_scanline < height) {
    if (jpeg_read_scanlines(&job->decoder, sampleRow, 1) != 1) return false;
    const JDIMENSION y = job->decoder.output_scanline - 1;
    std::uint8_t* out = layout->first + layout->stride * (layout->bottomUp ? height - 1 - y : y);
    const JSAMPLE* in = sampleRow[0];
    if (grey) {
      for (JDIMENSION x = 0; x < width; ++x) out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[x];
    } else {
      std::memcpy(out, in, rowBytes);
      if (swapHere) SwapRedBlue(out, width, 1, 0);
    }
    std::memset(out + rowBytes, 0, layout->stride - rowBytes);
  }
  jpeg_finish_decompress(&job->decoder);
  return true;
}

// Opens the file at a Windows path for reading, tracing the failure.
std::FILE* OpenJpegFile(const char* winPath) {
  const char* shownPath = winPath ? winPath : "";
  const std::string hostPath = HostPathFromWin(shownPath);
  std::FILE* file = hostPath.empty() ? nullptr : std::fopen(hostPath.c_str(), "rb");
  if (!file) Trace("JPEG :\nCan't open %s\n", shownPath);
  return file;
}

// Owns one decompression from an open file to its end: destroys the decoder (safe also when
// creation never ran or stopped half-way, since the record starts zeroed) and closes the file.
class JpegDecompression {
 public:
  JpegDecompression(std::FILE* file, bool blueFirst, bool fourBytes = false, std::uint64_t maxPixels = kJpegMaxPixels) {
    job_.file = file;
    job_.blueFirst = blueFirst;
    job_.fourBytes = fourBytes;
    job_.maxPixels = maxPixels;
  }
  ~JpegDecompression() {
    jpeg_destroy_decompress(&job_.decoder);
    std::fclose(job_.file);
  }
  JpegDecompression(const JpegDecompression&) = delete;
  JpegDecompression& operator=(const JpegDecompression&) = delete;

  bool Start() { return StartDecoder(&job_); }
  bool Read(const RowLayout& layout) { return ReadRows(&job_, &layout); }
  JDIMENSION width() const { return job_.decoder.output_width; }
  JDIMENSION height() const { return job_.decoder.output_height; }

 private:
  DecodeJob job_{};
};

}  // namespace

JpegWarningHook SetJpegWarningHook(JpegWarningHook hook) { return std::exchange(warningHook, hook); }

namespace {

// The whole file decoded into rows of 3 (RGB) or 4 (XRGB) bytes, no padding.
HeapBytes DecodeWholeFile(const char* winPath, bool fourBytes, std::uint64_t maxPixels, DWORD& width,
                          DWORD& height) {
  width = 0;
  height = 0;
  std::FILE* file = OpenJpegFile(winPath);
  if (!file) return nullptr;
  JpegDecompression decompression(file, false, fourBytes, maxPixels);
  if (!decompression.Start()) return nullptr;
  const std::size_t rowBytes = std::size_t{fourBytes ? 4u : 3u} * decompression.width();
  HeapBytes pixels(static_cast<std::uint8_t*>(std::malloc(rowBytes * decompression.height())));
  if (!pixels) {
    Trace("JpegFile :\nOut of memory\n");
    return nullptr;
  }
  if (!decompression.Read(RowLayout{pixels.get(), rowBytes, false})) return nullptr;
  width = decompression.width();
  height = decompression.height();
  return pixels;
}

}  // namespace

HeapBytes DecodeJpegFile(const char* winPath, DWORD& width, DWORD& height) {
  return DecodeWholeFile(winPath, false, kJpegMaxPixels, width, height);
}

HeapBytes DecodeJpegFileAsXrgb(const char* winPath, std::uint64_t maxPixels, DWORD& width, DWORD& height) {
  return DecodeWholeFile(winPath, true, std::min(maxPixels, kJpegMaxPixels), width, height);
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

// The rows go straight from the decoder into the result block, blue first, padded and
// bottom-up: the same bytes as DecodeJpegFile, PadRows, SwapRedBlue and FlipRows one after
// the other, in one pass and one allocation.
GlobalBlock LoadJpegAsDib(const char* winPath) {
  std::FILE* file = OpenJpegFile(winPath);
  if (!file) return {};
  JpegDecompression decompression(file, true);
  if (!decompression.Start()) return {};
  const DWORD width = decompression.width();
  const DWORD height = decompression.height();
  const DWORD stride = JpegRowStride(width);
  GlobalBlock dib = GlobalBlock::Allocate(kInfoHeaderBytes + std::size_t{stride} * height);
  if (!dib) {
    Trace("JpegFile :\nOut of memory\n");
    return {};
  }
  if (!decompression.Read(RowLayout{dib.data() + kInfoHeaderBytes, stride, true})) return {};
  const auto signedHeight = static_cast<LONG>(height);
  BuildHeader(static_cast<LONG>(width), signedHeight, kFormatRgb888, std::span<std::uint8_t>(dib.data(), kInfoHeaderBytes));
  std::memcpy(dib.data() + offsetof(BitmapInfoHeader, height), &signedHeight, sizeof signedHeight);
  return dib;
}

}  // namespace ossen
