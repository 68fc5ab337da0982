// The blit engine's busiest paths against their peers, each figure a ratio from one run:
// the 8-bit same-size copy against memcpy of the same rows, and the 8-bit nearest-
// neighbour scaling against pixman scaling an a8 image of the same sizes.
// "ratio" = peer time / our time: above 1 we are faster.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "gfx/blit_engine.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Picture {
  std::vector<std::uint8_t> bytes;
  ossen::PixelBuffer view;
  Picture(int width, int height) {
    view.stride = (width + 3) & ~3;
    bytes.resize(static_cast<std::size_t>(view.stride) * height);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 131 >> 3);
    view.bits = bytes.data();
    view.width = width;
    view.height = height;
    view.format = ossen::kFormatIndexed8;
  }
};

template <class Work>
double Seconds(Work& work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Times ours and the peer in the same loop, taking turns at going first so neither
// inherits the other's cache state, and reports both and their ratio.
template <class Ours, class Peer>
void Compare(benchmark::State& state, Ours ours, Peer peer) {
  double oursSeconds = 0, peerSeconds = 0;
  bool oursFirst = true;
  for (auto _ : state) {
    if (oursFirst) {
      oursSeconds += Seconds(ours);
      peerSeconds += Seconds(peer);
    } else {
      peerSeconds += Seconds(peer);
      oursSeconds += Seconds(ours);
    }
    oursFirst = !oursFirst;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ours_us"] = oursSeconds / n * 1e6;
  state.counters["peer_us"] = peerSeconds / n * 1e6;
  state.counters["ratio"] = peerSeconds / oursSeconds;
}

void Copy8AgainstMemcpy(benchmark::State& state) {
  const bool mmx = state.range(0) != 0;
  Picture source(640, 480), target(640, 480);
  Compare(
      state,
      [&] {
        ossen::BlitPixels(target.view, 0, 0, 640, 480, source.view, 0, 0, 640, 480, 0, 255, nullptr, mmx);
        benchmark::ClobberMemory();
      },
      [&] {
        for (int y = 0; y < 480; ++y)
          std::memcpy(target.bytes.data() + y * target.view.stride, source.bytes.data() + y * source.view.stride, 640);
        benchmark::ClobberMemory();
      });
}
BENCHMARK(Copy8AgainstMemcpy)->ArgName("mmx")->Arg(0)->Arg(1);

void Scale8AgainstPixman(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
  Picture source(1024, 768), target(width, height), peerTarget(width, height);
  pixman_image_t* from = pixman_image_create_bits(PIXMAN_a8, 1024, 768,
                                                  reinterpret_cast<std::uint32_t*>(source.bytes.data()),
                                                  static_cast<int>(source.view.stride));
  pixman_image_t* to = pixman_image_create_bits(PIXMAN_a8, width, height,
                                                reinterpret_cast<std::uint32_t*>(peerTarget.bytes.data()),
                                                static_cast<int>(peerTarget.view.stride));
  pixman_transform_t scale;
  pixman_transform_init_scale(&scale, pixman_double_to_fixed(1024.0 / width), pixman_double_to_fixed(768.0 / height));
  pixman_image_set_transform(from, &scale);
  pixman_image_set_filter(from, PIXMAN_FILTER_NEAREST, nullptr, 0);
  Compare(
      state,
      [&] {
        ossen::BlitPixels(target.view, 0, 0, width, height, source.view, 0, 0, 1024, 768, 0, 255, nullptr, true);
        benchmark::ClobberMemory();
      },
      [&] {
        pixman_image_composite32(PIXMAN_OP_SRC, from, nullptr, to, 0, 0, 0, 0, 0, 0, width, height);
        benchmark::ClobberMemory();
      });
  pixman_image_unref(from);
  pixman_image_unref(to);
}
BENCHMARK(Scale8AgainstPixman)->ArgNames({"w", "h"})->Args({800, 600})->Args({320, 400});

}  // namespace

BENCHMARK_MAIN();
