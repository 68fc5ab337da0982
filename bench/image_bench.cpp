// Image decoding measured against its peers in the same run:
//   "PKC1" decoding of a 640 x 1920 8-bit page   vs  zlib's bare uncompress of its block
//   ARLE and TRLE decoding of that page          vs  a memcpy of the decoded bytes
//   LoadJpegAsDib on a 1024 x 768 picture        vs  libjpeg-turbo decoding the file to memory
// Each pair is printed as one ratio at the end. Run: build/bench/image_bench
// (Google Benchmark flags are passed on; by default every case runs 5 times, interleaved,
// and a ratio uses each case's fastest repetition).
#include <unistd.h>

#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/fastest_times.h"
#include "bench/libjpeg_peer.h"
#include "bench/painting.h"
#include "image/arle_codec.h"
#include "image/jpeg_loader.h"
#include "image/memo_block.h"
#include "image/packed_dib.h"
#include "image/pkc_codec.h"
#include "image/trle_codec.h"

namespace ossen::bench {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kPageWidth = 640;
constexpr int kPageHeight = 1920;
constexpr int kPictureWidth = 1024;
constexpr int kPictureHeight = 768;

// The 8-bit page as an uncompressed packed DIB with a grey colour table.
Bytes MakePage() {
  const std::vector<std::uint8_t> topDown = EightBitPainting(kPageWidth, kPageHeight);
  Bytes dib(BuiltHeaderSize(kFormatIndexed8) + std::size_t{kPageWidth} * kPageHeight);
  const DWORD headerSize = BuildHeader(kPageWidth, kPageHeight, kFormatIndexed8, dib);
  for (int i = 0; i < 256; ++i) std::memset(dib.data() + 40 + 4 * i, i, 3);
  for (int y = 0; y < kPageHeight; ++y) {
    std::memcpy(dib.data() + headerSize + std::size_t{kPageWidth} * (kPageHeight - 1 - y),
                topDown.data() + std::size_t{kPageWidth} * y, kPageWidth);
  }
  return dib;
}

const Bytes& Page() {
  static const Bytes page = MakePage();
  return page;
}

const GlobalBlock& EncodedPage(GlobalBlock (*encode)(ByteView)) {
  static std::map<GlobalBlock (*)(ByteView), GlobalBlock> encoded;
  GlobalBlock& block = encoded[encode];
  if (!block) block = encode(Page());
  return block;
}

// The JPEG picture as a file (quality 85, the library's defaults otherwise), made once.
const std::string& PictureHostPath() {
  static const std::string path = [] {
    char name[] = "/tmp/ossen_bench_XXXXXX";
    const int fd = mkstemp(name);
    std::FILE* file = fdopen(fd, "wb");
    const std::vector<std::uint8_t> rgb = RgbPainting(kPictureWidth, kPictureHeight);
    jpeg_compress_struct encoder{};
    jpeg_error_mgr errors{};
    encoder.err = jpeg_std_error(&errors);
    jpeg_create_compress(&encoder);
    jpeg_stdio_dest(&encoder, file);
    encoder.image_width = kPictureWidth;
    encoder.image_height = kPictureHeight;
    encoder.input_components = 3;
    encoder.in_color_space = JCS_RGB;
    jpeg_set_defaults(&encoder);
    jpeg_set_quality(&encoder, 85, TRUE);
    jpeg_start_compress(&encoder, TRUE);
    while (encoder.next_scanline < encoder.image_height) {
      JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + std::size_t{3} * kPictureWidth * encoder.next_scanline);
      jpeg_write_scanlines(&encoder, &row, 1);
    }
    jpeg_finish_compress(&encoder);
    jpeg_destroy_compress(&encoder);
    std::fclose(file);
    std::atexit([] { std::remove(PictureHostPath().c_str()); });
    return std::string(name);
  }();
  return path;
}

void Pkc1Decode(benchmark::State& state) {
  const GlobalBlock& pkc = EncodedPage(PkcCompress);
  for (auto _ : state) {
    GlobalBlock decoded = PkcDecompress(pkc.view());
    if (!decoded) state.SkipWithError("PkcDecompress failed");
    benchmark::DoNotOptimize(decoded.data());
  }
}

void Pkc1Uncompress(benchmark::State& state) {
  const GlobalBlock& pkc = EncodedPage(PkcCompress);
  const ByteView block = pkc.view().subspan(PackedDibHeaderSize(pkc.view()));
  const std::size_t streamBytes = MemoPackedSize(block) - kMemoHeaderBytes;
  Bytes out(MemoUnpackedSize(block));
  for (auto _ : state) {
    uLongf outBytes = out.size();
    if (uncompress(out.data(), &outBytes, block.data() + kMemoHeaderBytes, streamBytes) != Z_OK) {
      state.SkipWithError("uncompress failed");
    }
    benchmark::DoNotOptimize(out.data());
  }
}

template <GlobalBlock (*Encode)(ByteView), GlobalBlock (*Decode)(ByteView)>
void RunLengthDecode(benchmark::State& state) {
  const GlobalBlock& encoded = EncodedPage(Encode);
  for (auto _ : state) {
    GlobalBlock decoded = Decode(encoded.view());
    if (!decoded) state.SkipWithError("decoding failed");
    benchmark::DoNotOptimize(decoded.data());
  }
}

// The physical limit of a decoder that writes the page: copying its decoded bytes.
void PageMemcpy(benchmark::State& state) { CopyWithMemcpy(state, Page()); }

void LoadJpeg(benchmark::State& state) {
  const std::string winPath = "Z:" + PictureHostPath();
  for (auto _ : state) {
    GlobalBlock dib = LoadJpegAsDib(winPath.c_str());
    if (!dib) state.SkipWithError("LoadJpegAsDib failed");
    benchmark::DoNotOptimize(dib.data());
  }
}

// libjpeg-turbo on its own: the same JPEG decoded into one buffer of RGB rows.
void LibjpegDecode(benchmark::State& state) {
  const std::string& path = PictureHostPath();
  Bytes out;
  for (auto _ : state) {
    DecodeWithLibjpeg(path, out);
    benchmark::DoNotOptimize(out.data());
  }
}

BENCHMARK(Pkc1Decode);
BENCHMARK(Pkc1Uncompress);
BENCHMARK(RunLengthDecode<ArleEncode, ArleDecode>)->Name("ArleDecode");
BENCHMARK(RunLengthDecode<TrleEncode, TrleDecode>)->Name("TrleDecode");
BENCHMARK(PageMemcpy);
BENCHMARK(LoadJpeg);
BENCHMARK(LibjpegDecode);


}  // namespace
}  // namespace ossen::bench

int main(int argc, char** argv) {
  return ossen::bench::RunAndPrintRatios(argc, argv, [](const ossen::bench::FastestTimes& times) {
    std::printf("PKC1 decode speed / uncompress speed = %.2f (target >= 0.95)\n",
                times.Ratio("Pkc1Uncompress", "Pkc1Decode"));
    std::printf("ARLE decode time / memcpy time = %.2f\n", times.Ratio("ArleDecode", "PageMemcpy"));
    std::printf("TRLE decode time / memcpy time = %.2f\n", times.Ratio("TrleDecode", "PageMemcpy"));
    std::printf("LoadJpegAsDib time / libjpeg-turbo decode time = %.2f (target <= 1.3)\n",
                times.Ratio("LoadJpeg", "LibjpegDecode"));
  });
}
