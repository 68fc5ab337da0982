// Every kernel of the dispatch table against a slow pixel-by-pixel model written from the
// rules, over random rectangles, widths 1 to 67, every target alignment and every flag
// combination that reaches it. SSE2 copies and dithered levels also write exactly what
// their plain forms write; SSE2 blends meet the model of the MMX formula.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "gfx/blit_engine.h"
#include "gfx/blit_kernels.h"

namespace ossen {
namespace {

// Bayer matrix by the doubling rule [4M, 4M+2; 4M+3, 4M+1], independent of the table.
int BayerThreshold(int x, int y) {
  int value = 0;
  for (int bit = 2; bit >= 0; --bit) {
    const int bx = (x >> (2 - bit)) & 1, by = (y >> (2 - bit)) & 1;
    const int quadrant = bx == 0 ? (by == 0 ? 0 : 3) : (by == 0 ? 2 : 1);
    value += quadrant << (2 * bit);
  }
  return value + 1;
}

struct Channel {
  int shift, bits;
};

std::vector<Channel> ChannelsOf(std::uint32_t format) {
  switch (FormatBitsPerPixel(format)) {
    case 16: return FormatIs565(format) ? std::vector<Channel>{{11, 5}, {5, 6}, {0, 5}}
                                        : std::vector<Channel>{{10, 5}, {5, 5}, {0, 5}};
    case 24: return {{16, 8}, {8, 8}, {0, 8}};
    case 32: return {{24, 8}, {16, 8}, {8, 8}, {0, 8}};
    default: return {};
  }
}

// Plain blend: channels cut to five bits, (a s + b t) >> 5, put back at the channel's top.
std::uint32_t PlainBlend(std::uint32_t format, std::uint32_t s, std::uint32_t t, int a, int b) {
  std::uint32_t out = 0;
  for (const Channel c : ChannelsOf(format)) {
    const int drop = c.bits - 5;
    const std::uint32_t cs = ((s >> c.shift) & ((1u << c.bits) - 1)) >> drop;
    const std::uint32_t ct = ((t >> c.shift) & ((1u << c.bits) - 1)) >> drop;
    const std::uint32_t v = FormatBitsPerPixel(format) == 16 ? (a * cs + b * ct) >> 5 : (8 * a * cs + 8 * b * ct) >> 5;
    out |= v << (c.shift + (FormatBitsPerPixel(format) == 16 ? drop : 0));
  }
  return out;
}

std::uint32_t MmxBlend(std::uint32_t format, std::uint32_t s, std::uint32_t t, int w) {
  std::uint32_t out = 0;
  for (const Channel c : ChannelsOf(format)) {
    const std::uint32_t mask = (1u << c.bits) - 1;
    const std::uint32_t v = (((s >> c.shift) & mask) * w + ((t >> c.shift) & mask) * (256 - w)) >> 8;
    out |= v << c.shift;
  }
  return out;
}

struct Image {
  int width = 0, height = 0, bytes = 1;
  std::ptrdiff_t stride = 0;
  std::vector<std::uint8_t> data;
  Image(int w, int h, int pixelBytes) : width(w), height(h), bytes(pixelBytes), stride(w * pixelBytes + 3) {
    data.resize(static_cast<std::size_t>(stride * h));
  }
  std::uint32_t Get(int x, int y) const {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= std::uint32_t{data[y * stride + x * bytes + i]} << (8 * i);
    return v;
  }
  void Set(int x, int y, std::uint32_t v) {
    for (int i = 0; i < bytes; ++i) data[y * stride + x * bytes + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
};

std::uint32_t WholeMask(int bytes) { return bytes == 4 ? 0xFFFFFFFFu : (1u << (8 * bytes)) - 1; }

// The expected target after a blit with the given row's effect.
void Model(const BlitKernelRow& row, std::uint32_t format, const BlitArgs& a, const Image& source, const Image& mask,
           Image& target) {
  const int bytes = FormatBytesPerPixel(format);
  const bool mirror = a.flags & kBlitMirror, flip = a.flags & kBlitFlip;
  const bool keysApply = row.effect != BlitEffect::kMaskBlend && row.effect != BlitEffect::kDitheredMask;
  const std::uint32_t sourceKey = a.sourceKey & WholeMask(bytes), destKey = a.destKey & WholeMask(bytes);
  for (int j = 0; j < a.height; ++j) {
    const int rowStep = static_cast<int>(std::int64_t{j} * a.sourceHeight / a.height);
    const int sy = flip ? a.sourceY + a.sourceHeight - 1 - rowStep : a.sourceY + rowStep;
    for (int i = 0; i < a.width; ++i) {
      const int columnStep = static_cast<int>(std::int64_t{i} * a.sourceWidth / a.width);
      const int sx = mirror ? a.sourceX + a.sourceWidth - 1 - columnStep : a.sourceX + columnStep;
      const int x = a.targetX + i, y = a.targetY + j;
      const std::uint32_t s = source.Get(sx, sy), t = target.Get(x, y);
      const int m = mask.data.empty() ? 0 : static_cast<int>(mask.Get(sx, sy));
      if (keysApply && (((a.flags & kBlitSourceKey) && s == sourceKey) || ((a.flags & kBlitDestKey) && t != destKey)))
        continue;
      switch (row.effect) {
        case BlitEffect::kCopy:
        case BlitEffect::kKeyedCopy: target.Set(x, y, s); break;
        case BlitEffect::kDitheredLevel:
          if ((a.level >> 2) >= BayerThreshold(x & 7, y & 7)) target.Set(x, y, s);
          break;
        case BlitEffect::kDitheredMask:
          if (m > 3 && (m >> 2) + 1 >= BayerThreshold(x & 7, y & 7)) target.Set(x, y, s);
          break;
        case BlitEffect::kLevelBlend:
          if (row.mmxBlend) target.Set(x, y, MmxBlend(format, s, t, a.level));
          else if (bytes == 2) target.Set(x, y, PlainBlend(format, s, t, a.level >> 3, (256 - a.level) >> 3));
          else target.Set(x, y, PlainBlend(format, s, t, a.level >> 3, 31 - ((a.level - 1) >> 3)));
          break;
        case BlitEffect::kMaskBlend:
          if (m == 0) break;
          if (m == 255) target.Set(x, y, s);
          else target.Set(x, y, row.mmxBlend ? MmxBlend(format, s, t, m) : PlainBlend(format, s, t, m >> 3, (255 - m) >> 3));
          break;
      }
    }
  }
}

struct Reach {
  std::uint32_t format;
  std::uint32_t flags;
  bool mmx;
};

// Every (format, flags, MMX) that the dispatcher sends to this row.
std::vector<Reach> CombinationsReaching(const BlitKernelRow& row) {
  static const std::uint32_t kFormats[] = {kFormatIndexed8, kFormatRgb555, kFormatRgb565, kFormatRgb888, kFormatXrgb8888};
  static const std::uint32_t kBits[] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x80, 0x100};
  std::vector<Reach> reach;
  for (const std::uint32_t format : kFormats) {
    for (unsigned subset = 0; subset < 256; ++subset) {
      std::uint32_t flags = 0;
      for (int b = 0; b < 8; ++b)
        if (subset & (1u << b)) flags |= kBits[b];
      for (const bool mmx : {false, true})
        if (FindBlitKernel(format, row.scaling, flags, mmx) == &row) reach.push_back({format, flags, mmx});
    }
  }
  return reach;
}

// The plain kernel an SSE2 copy or dithered level must match pixel for pixel, else null.
BlitKernel ExactPlainForm(const BlitKernelRow& row) {
  const std::string name = row.name;
  const bool blend = row.effect == BlitEffect::kLevelBlend || row.effect == BlitEffect::kMaskBlend;
  if (blend || name.size() < 4 || name.substr(name.size() - 4) != "Sse2") return nullptr;
  const BlitKernelTable table = AllBlitKernels();
  for (std::size_t i = 0; i < table.count; ++i)
    if (name.substr(0, name.size() - 4) == table.rows[i].name) return table.rows[i].kernel;
  return nullptr;
}

class KernelTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(KernelTest, MatchesThePixelRule) {
  const BlitKernelRow& row = AllBlitKernels().rows[GetParam()];
  const std::vector<Reach> reach = CombinationsReaching(row);
  ASSERT_FALSE(reach.empty()) << row.name << " is reached by no flags";
  std::mt19937 random(static_cast<unsigned>(GetParam()) * 7919u + 1);
  auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  const int cases = std::max<int>(2 * 67, static_cast<int>(2 * reach.size()));
  for (int k = 0; k < cases; ++k) {
    const Reach& r = reach[static_cast<std::size_t>(k) % reach.size()];
    const int bytes = FormatBytesPerPixel(r.format);
    BlitArgs a;
    a.width = 1 + k % 67;
    a.height = uniform(1, 4);
    a.targetX = k % 16;  // with the row padding, every byte alignment of the target
    a.targetY = uniform(0, 9);
    a.sourceWidth = row.scaling ? uniform(1, 90) : a.width;
    a.sourceHeight = row.scaling ? uniform(1, 6) : a.height;
    a.sourceX = uniform(0, 7);
    a.sourceY = uniform(0, 3);
    a.flags = r.flags;
    a.level = uniform(1, 255);
    a.sourceKey = static_cast<std::uint32_t>(random());
    a.destKey = static_cast<std::uint32_t>(random());

    Image source(a.sourceX + a.sourceWidth + 3, a.sourceY + a.sourceHeight + 1, bytes);
    Image target(a.targetX + a.width + 5, a.targetY + a.height + 1, bytes);
    Image mask(row.needsMask ? source.width : 0, row.needsMask ? source.height : 0, 1);
    // Few distinct values, so both keys hit often.
    auto pixel = [&](std::uint32_t key) {
      const int pick = uniform(0, 3);
      return pick == 0 ? key : pick == 1 ? key ^ 1u : static_cast<std::uint32_t>(random());
    };
    for (int y = 0; y < source.height; ++y)
      for (int x = 0; x < source.width; ++x) source.Set(x, y, pixel(a.sourceKey));
    for (int y = 0; y < target.height; ++y)
      for (int x = 0; x < target.width; ++x) target.Set(x, y, pixel(a.destKey));
    for (auto& m : mask.data) {
      const int pick = uniform(0, 4);
      m = static_cast<std::uint8_t>(pick == 0 ? 0 : pick == 1 ? 255 : uniform(0, 255));
    }

    Image expected = target;
    Model(row, r.format, a, source, mask, expected);
    a.source = source.data.data();
    a.sourceStride = source.stride;
    a.target = target.data.data();
    a.targetStride = target.stride;
    a.mask = row.needsMask ? mask.data.data() : nullptr;
    a.maskStride = mask.stride;
    const Image original = target;
    row.kernel(a);
    if (const BlitKernel plain = ExactPlainForm(row)) {
      Image byPlain = original;
      a.target = byPlain.data.data();
      plain(a);
      ASSERT_EQ(byPlain.data, target.data) << row.name << " differs from its plain form";
    }
    ASSERT_EQ(expected.data, target.data)
        << row.name << " format " << std::hex << r.format << " flags " << r.flags << std::dec << " mmx " << r.mmx
        << " size " << a.width << "x" << a.height << " from " << a.sourceWidth << "x" << a.sourceHeight << " at "
        << a.targetX << "," << a.targetY << " source " << a.sourceX << "," << a.sourceY << " level " << a.level;
  }
}

std::string RowName(const ::testing::TestParamInfo<std::size_t>& info) {
  const BlitKernelRow& row = AllBlitKernels().rows[info.param];
  return std::string(row.name) + "_" + std::to_string(info.param);
}

INSTANTIATE_TEST_SUITE_P(EveryRow, KernelTest, ::testing::Range<std::size_t>(0, AllBlitKernels().count), RowName);

}  // namespace
}  // namespace ossen
