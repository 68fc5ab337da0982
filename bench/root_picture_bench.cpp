// The root picture of a bare X11 window manager measured against its peer in the same run:
//   BuildRootPicture of a 1024 x 768 painting filling one 3840 x 2160 monitor (and one
//   1920 x 1080 monitor)  vs  pixman scaling the same painting bilinearly to the same size
//   into a new picture of its own.
// Both make their picture anew each time, as the program does once per apply. A layout of two
// monitors of different sizes is shown beside them, without a peer.
// Run: build/bench/root_picture_bench (Google Benchmark flags are passed on).
#include <pixman.h>

#include <cstdio>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/fastest_times.h"
#include "bench/painting.h"
#include "desktop/root_picture.h"

namespace ossen::bench {
namespace {

const RgbPicture& Painting() {
  static const RgbPicture painting = [] {
    RgbPicture made;
    made.width = 1024;
    made.height = 768;
    const std::vector<std::uint8_t> rgb = RgbPainting(made.width, made.height);
    made.pixels.resize(std::size_t(made.width) * made.height);
    for (std::size_t i = 0; i < made.pixels.size(); ++i)
      made.pixels[i] = (std::uint32_t(rgb[3 * i]) << 16) | (std::uint32_t(rgb[3 * i + 1]) << 8) | rgb[3 * i + 2];
    return made;
  }();
  return painting;
}

void RootPictureFill(benchmark::State& state, int width, int height) {
  const MonitorRect monitor{0, 0, width, height};
  for (auto _ : state) {
    RgbPicture root = BuildRootPicture(Painting(), width, height, std::span(&monitor, 1), WallpaperPlacement::Fill, 0);
    benchmark::DoNotOptimize(root.pixels.data());
  }
}

// pixman on its own: the painting scaled bilinearly to width x height, edges clamped, into a
// picture pixman makes (uncleared).
void PixmanBilinearScale(benchmark::State& state, int width, int height) {
  const RgbPicture& painting = Painting();
  pixman_image_t* source =
      pixman_image_create_bits(PIXMAN_x8r8g8b8, painting.width, painting.height,
                               const_cast<std::uint32_t*>(painting.pixels.data()), painting.width * 4);
  pixman_image_set_filter(source, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  pixman_image_set_repeat(source, PIXMAN_REPEAT_PAD);
  pixman_transform_t transform;
  pixman_transform_init_scale(&transform, pixman_double_to_fixed(double(painting.width) / width),
                              pixman_double_to_fixed(double(painting.height) / height));
  pixman_image_set_transform(source, &transform);
  for (auto _ : state) {
    pixman_image_t* target = pixman_image_create_bits_no_clear(PIXMAN_x8r8g8b8, width, height, nullptr, 0);
    pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, target, 0, 0, 0, 0, 0, 0, width, height);
    benchmark::DoNotOptimize(pixman_image_get_data(target));
    pixman_image_unref(target);
  }
  pixman_image_unref(source);
}

void RootPictureFill4K(benchmark::State& state) { RootPictureFill(state, 3840, 2160); }
void PixmanScale4K(benchmark::State& state) { PixmanBilinearScale(state, 3840, 2160); }
void RootPictureFill1080(benchmark::State& state) { RootPictureFill(state, 1920, 1080); }
void PixmanScale1080(benchmark::State& state) { PixmanBilinearScale(state, 1920, 1080); }

// 1920 x 1080 beside 1280 x 1024, each filled.
void RootPictureTwoMonitors(benchmark::State& state) {
  const MonitorRect monitors[] = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
  for (auto _ : state) {
    RgbPicture root = BuildRootPicture(Painting(), 3200, 1080, monitors, WallpaperPlacement::Fill, 0);
    benchmark::DoNotOptimize(root.pixels.data());
  }
}

BENCHMARK(RootPictureFill4K)->Unit(benchmark::kMillisecond);
BENCHMARK(PixmanScale4K)->Unit(benchmark::kMillisecond);
BENCHMARK(RootPictureFill1080)->Unit(benchmark::kMillisecond);
BENCHMARK(PixmanScale1080)->Unit(benchmark::kMillisecond);
BENCHMARK(RootPictureTwoMonitors)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ossen::bench

int main(int argc, char** argv) {
  return ossen::bench::RunAndPrintRatios(argc, argv, [](const ossen::bench::FastestTimes& times) {
    std::printf("root picture 3840x2160 (fill) / pixman bilinear scale to 3840x2160 = %.2f (target <= 1.1)\n",
                times.Ratio("RootPictureFill4K", "PixmanScale4K"));
    std::printf("root picture 1920x1080 (fill) / pixman bilinear scale to 1920x1080 = %.2f\n",
                times.Ratio("RootPictureFill1080", "PixmanScale1080"));
    std::printf("two monitors 1920x1080 + 1280x1024 / pixman scale to 3840x2160 = %.2f\n",
                times.Ratio("RootPictureTwoMonitors", "PixmanScale4K"));
  });
}
