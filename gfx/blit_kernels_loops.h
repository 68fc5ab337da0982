// The loops every plain kernel is made of: pixel access per depth, the per-pixel effects
// and the same-size and scaling walks. Internal to the kernel files.
#pragma once

#include <cstdint>
#include <cstring>

#include "gfx/blit_engine.h"
#include "gfx/blit_kernels.h"
#include "gfx/blit_tables.h"
#include "platform/draw/nearest_stepper.h"

namespace ossen::blit {

// Loads and stores one pixel of `Bytes` bytes, least significant byte first.
template <int Bytes>
struct PixelIo;

template <>
struct PixelIo<1> {
  static constexpr std::uint32_t kMask = 0xFF;
  static std::uint32_t Load(const std::uint8_t* p) { return *p; }
  static void Store(std::uint8_t* p, std::uint32_t v) { *p = static_cast<std::uint8_t>(v); }
};

template <>
struct PixelIo<2> {
  static constexpr std::uint32_t kMask = 0xFFFF;
  static std::uint32_t Load(const std::uint8_t* p) {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
  }
  static void Store(std::uint8_t* p, std::uint32_t v) {
    const auto narrow = static_cast<std::uint16_t>(v);
    std::memcpy(p, &narrow, 2);
  }
};

template <>
struct PixelIo<3> {
  static constexpr std::uint32_t kMask = 0xFFFFFF;
  static std::uint32_t Load(const std::uint8_t* p) {
    return p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
  }
  static void Store(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
  }
};

template <>
struct PixelIo<4> {
  static constexpr std::uint32_t kMask = 0xFFFFFFFF;
  static std::uint32_t Load(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
  static void Store(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }
};

inline std::uint8_t* RowAt(std::uint8_t* bits, std::ptrdiff_t stride, int row) {
  return bits + static_cast<std::ptrdiff_t>(row) * stride;
}
inline const std::uint8_t* RowAt(const std::uint8_t* bits, std::ptrdiff_t stride, int row) {
  return bits + static_cast<std::ptrdiff_t>(row) * stride;
}

// Copies a row: bytes up to the target's first 32-bit boundary, 32-bit words, the rest.
inline void CopyRowAligned(std::uint8_t* target, const std::uint8_t* source, std::size_t bytes) {
  while (bytes > 0 && (reinterpret_cast<std::uintptr_t>(target) & 3) != 0) {
    *target++ = *source++;
    --bytes;
  }
  for (; bytes >= 4; bytes -= 4, target += 4, source += 4) {
    std::uint32_t word;
    std::memcpy(&word, source, 4);
    std::memcpy(target, &word, 4);
  }
  while (bytes-- > 0) *target++ = *source++;
}

// --- plain blends through the product table ---

// Level blend of 16-bit pixels: channels cut to five bits (the top five of a six-bit
// green), (a x s + b x t) >> 5 each; a 5:6:5 result has 0 in the lowest green bit.
inline std::uint32_t Blend555(std::uint32_t s, std::uint32_t t, int a, int b) {
  const auto& p = kBlendProduct;
  const std::uint32_t r = (p[a][(s >> 10) & 31] + p[b][(t >> 10) & 31]) >> 8;
  const std::uint32_t g = (p[a][(s >> 5) & 31] + p[b][(t >> 5) & 31]) >> 8;
  const std::uint32_t bl = (p[a][s & 31] + p[b][t & 31]) >> 8;
  return (r << 10) | (g << 5) | bl;
}

inline std::uint32_t Blend565(std::uint32_t s, std::uint32_t t, int a, int b) {
  const auto& p = kBlendProduct;
  const std::uint32_t r = (p[a][(s >> 11) & 31] + p[b][(t >> 11) & 31]) >> 8;
  const std::uint32_t g = (p[a][(s >> 6) & 31] + p[b][(t >> 6) & 31]) >> 8;
  const std::uint32_t bl = (p[a][s & 31] + p[b][t & 31]) >> 8;
  return (r << 11) | (g << 6) | bl;
}

// 8-bit channels: (table[a][s >> 3] + table[b][t >> 3]) >> 5 for each of `Channels` bytes.
template <int Channels>
inline std::uint32_t BlendBytes(std::uint32_t s, std::uint32_t t, int a, int b) {
  const auto& p = kBlendProduct;
  std::uint32_t out = 0;
  for (int c = 0; c < Channels; ++c) {
    const int shift = 8 * c;
    const std::uint32_t v = (p[a][((s >> shift) & 0xFF) >> 3] + p[b][((t >> shift) & 0xFF) >> 3]) >> 5;
    out |= v << shift;
  }
  return out;
}

// --- the MMX formula, per channel at its own width: (s x w + t x (256 - w)) >> 8 ---

inline std::uint32_t WeightChannel(std::uint32_t s, std::uint32_t t, int shift, std::uint32_t bits,
                                   std::uint32_t w) {
  const std::uint32_t cs = (s >> shift) & bits;
  const std::uint32_t ct = (t >> shift) & bits;
  return ((cs * w + ct * (256 - w)) >> 8) << shift;
}

inline std::uint32_t WeightBlend555(std::uint32_t s, std::uint32_t t, std::uint32_t w) {
  return WeightChannel(s, t, 10, 31, w) | WeightChannel(s, t, 5, 31, w) | WeightChannel(s, t, 0, 31, w);
}

inline std::uint32_t WeightBlend565(std::uint32_t s, std::uint32_t t, std::uint32_t w) {
  return WeightChannel(s, t, 11, 31, w) | WeightChannel(s, t, 5, 63, w) | WeightChannel(s, t, 0, 31, w);
}

inline std::uint32_t WeightBlend32(std::uint32_t s, std::uint32_t t, std::uint32_t w) {
  return WeightChannel(s, t, 24, 255, w) | WeightChannel(s, t, 16, 255, w) |
         WeightChannel(s, t, 8, 255, w) | WeightChannel(s, t, 0, 255, w);
}

// --- effects: decide whether and what to write for source s over target t ---

struct CopyEffect {
  static constexpr bool kKeys = true;
  static constexpr bool kMask = false;
  bool Apply(std::uint32_t s, std::uint32_t, int, int, std::uint32_t, std::uint32_t& out) const {
    out = s;
    return true;
  }
};

struct DitheredLevelEffect {
  static constexpr bool kKeys = true;
  static constexpr bool kMask = false;
  int quarterLevel;  // level >> 2
  explicit DitheredLevelEffect(int level) : quarterLevel(level >> 2) {}
  bool Apply(std::uint32_t s, std::uint32_t, int x, int y, std::uint32_t, std::uint32_t& out) const {
    out = s;
    return quarterLevel >= DitherThreshold(x, y);
  }
};

struct DitheredMaskEffect {
  static constexpr bool kKeys = false;
  static constexpr bool kMask = true;
  bool Apply(std::uint32_t s, std::uint32_t, int x, int y, std::uint32_t m, std::uint32_t& out) const {
    out = s;
    return m > 3 && static_cast<int>(m >> 2) + 1 >= DitherThreshold(x, y);
  }
};

// Blend(s, t, a, b) is one of Blend555, Blend565, BlendBytes<N>.
template <std::uint32_t (*Blend)(std::uint32_t, std::uint32_t, int, int)>
struct LevelBlendEffect {
  static constexpr bool kKeys = true;
  static constexpr bool kMask = false;
  int a, b;
  LevelBlendEffect(int sourceWeight, int targetWeight) : a(sourceWeight), b(targetWeight) {}
  bool Apply(std::uint32_t s, std::uint32_t t, int, int, std::uint32_t, std::uint32_t& out) const {
    out = Blend(s, t, a, b);
    return true;
  }
};

template <std::uint32_t (*Blend)(std::uint32_t, std::uint32_t, int, int)>
struct MaskBlendEffect {
  static constexpr bool kKeys = false;
  static constexpr bool kMask = true;
  bool Apply(std::uint32_t s, std::uint32_t t, int, int, std::uint32_t m, std::uint32_t& out) const {
    if (m == 0) return false;
    out = m == 255 ? s : Blend(s, t, static_cast<int>(m >> 3), static_cast<int>((255 - m) >> 3));
    return true;
  }
};

// The 16-bit level blend weights: a = level >> 3, b = (256 - level) >> 3.
inline int SourceWeight16(int level) { return level >> 3; }
inline int TargetWeight16(int level) { return (256 - level) >> 3; }
// The 24- and 32-bit ones: a = level >> 3, b = 31 - ((level - 1) >> 3).
inline int SourceWeightBytes(int level) { return level >> 3; }
inline int TargetWeightBytes(int level) { return 31 - ((level - 1) >> 3); }

// Key tests of one pixel: with the source key skip s == key, with the destination key
// skip t != key; keys compare the pixel's own width.
template <int Bytes>
struct KeyTest {
  bool sourceKeyed, destKeyed;
  std::uint32_t sourceKey, destKey;
  KeyTest(const BlitArgs& a, bool keysApply)
      : sourceKeyed(keysApply && (a.flags & kBlitSourceKey)),
        destKeyed(keysApply && (a.flags & kBlitDestKey)),
        sourceKey(a.sourceKey & PixelIo<Bytes>::kMask),
        destKey(a.destKey & PixelIo<Bytes>::kMask) {}
  bool Skip(std::uint32_t s, std::uint32_t t) const {
    return (sourceKeyed && s == sourceKey) || (destKeyed && t != destKey);
  }
};

// The common same-size walk: source from row sy (sy + h - 1 with flip) and column sx
// (sx + w - 1 with mirror), target from (x, y), the mask at the source's coordinates.
template <int Bytes, class Effect>
void SameSizeLoop(const BlitArgs& a, const Effect& effect) {
  using Io = PixelIo<Bytes>;
  const bool mirror = a.flags & kBlitMirror;
  const bool flip = a.flags & kBlitFlip;
  const KeyTest<Bytes> keys(a, Effect::kKeys);
  for (int j = 0; j < a.height; ++j) {
    const int sourceRow = flip ? a.sourceY + a.height - 1 - j : a.sourceY + j;
    const std::uint8_t* sourceLine = RowAt(a.source, a.sourceStride, sourceRow);
    const std::uint8_t* maskLine = Effect::kMask ? RowAt(a.mask, a.maskStride, sourceRow) : nullptr;
    std::uint8_t* targetLine = RowAt(a.target, a.targetStride, a.targetY + j);
    for (int i = 0; i < a.width; ++i) {
      const int column = mirror ? a.sourceX + a.width - 1 - i : a.sourceX + i;
      const int x = a.targetX + i;
      std::uint8_t* t = targetLine + static_cast<std::ptrdiff_t>(x) * Bytes;
      const std::uint32_t s = Io::Load(sourceLine + static_cast<std::ptrdiff_t>(column) * Bytes);
      const std::uint32_t current = Io::Load(t);
      if (keys.Skip(s, current)) continue;
      const std::uint32_t m = Effect::kMask ? maskLine[column] : 0;
      std::uint32_t out;
      if (effect.Apply(s, current, x, a.targetY + j, m, out)) Io::Store(t, out);
    }
  }
}

template <int Bytes, class Effect>
void ScaledLoop(const BlitArgs& a, const Effect& effect) {
  using Io = PixelIo<Bytes>;
  const bool mirror = a.flags & kBlitMirror;
  const bool flip = a.flags & kBlitFlip;
  const KeyTest<Bytes> keys(a, Effect::kKeys);
  const int firstColumn = mirror ? a.sourceX + a.sourceWidth - 1 : a.sourceX;
  NearestStepper rows(flip ? a.sourceY + a.sourceHeight - 1 : a.sourceY, a.sourceHeight, a.height, flip);
  for (int j = 0; j < a.height; ++j, rows.Advance()) {
    const std::uint8_t* sourceLine = RowAt(a.source, a.sourceStride, static_cast<int>(rows.Column()));
    const std::uint8_t* maskLine = Effect::kMask ? RowAt(a.mask, a.maskStride, static_cast<int>(rows.Column())) : nullptr;
    std::uint8_t* targetLine = RowAt(a.target, a.targetStride, a.targetY + j);
    NearestStepper columns(firstColumn, a.sourceWidth, a.width, mirror);
    for (int i = 0; i < a.width; ++i, columns.Advance()) {
      const int x = a.targetX + i;
      std::uint8_t* t = targetLine + static_cast<std::ptrdiff_t>(x) * Bytes;
      const int column = static_cast<int>(columns.Column());
      const std::uint32_t s = Io::Load(sourceLine + static_cast<std::ptrdiff_t>(column) * Bytes);
      const std::uint32_t current = Io::Load(t);
      if (keys.Skip(s, current)) continue;
      const std::uint32_t m = Effect::kMask ? maskLine[column] : 0;
      std::uint32_t out;
      if (effect.Apply(s, current, x, a.targetY + j, m, out)) Io::Store(t, out);
    }
  }
}

// Unkeyed scaling: the source offsets of a strip of target columns are worked out once
// and shared by every row, and a row that takes the same source row as the one before
// is a copy of that target row.
template <int Bytes>
void ScaledCopyLoop(const BlitArgs& a) {
  using Io = PixelIo<Bytes>;
  constexpr int kStrip = 1024;
  std::ptrdiff_t offsets[kStrip];
  const bool mirror = a.flags & kBlitMirror;
  const bool flip = a.flags & kBlitFlip;
  NearestStepper columns(mirror ? a.sourceX + a.sourceWidth - 1 : a.sourceX, a.sourceWidth, a.width, mirror);
  for (int strip = 0; strip < a.width; strip += kStrip) {
    const int count = a.width - strip < kStrip ? a.width - strip : kStrip;
    for (int i = 0; i < count; ++i, columns.Advance())
      offsets[i] = static_cast<std::ptrdiff_t>(columns.Column()) * Bytes;
    NearestStepper rows(flip ? a.sourceY + a.sourceHeight - 1 : a.sourceY, a.sourceHeight, a.height, flip);
    int previousRow = -1;
    const std::uint8_t* previousTarget = nullptr;
    for (int j = 0; j < a.height; ++j, rows.Advance()) {
      std::uint8_t* target = RowAt(a.target, a.targetStride, a.targetY + j) +
                             static_cast<std::ptrdiff_t>(a.targetX + strip) * Bytes;
      if (rows.Column() == previousRow) {
        std::memcpy(target, previousTarget, static_cast<std::size_t>(count) * Bytes);
      } else {
        const std::uint8_t* sourceLine = RowAt(a.source, a.sourceStride, static_cast<int>(rows.Column()));
        if constexpr (Bytes == 1) {
          int i = 0;
          for (; i + 4 <= count; i += 4) {
            target[i] = sourceLine[offsets[i]];
            target[i + 1] = sourceLine[offsets[i + 1]];
            target[i + 2] = sourceLine[offsets[i + 2]];
            target[i + 3] = sourceLine[offsets[i + 3]];
          }
          for (; i < count; ++i) target[i] = sourceLine[offsets[i]];
        } else {
          for (int i = 0; i < count; ++i) Io::Store(target + i * Bytes, Io::Load(sourceLine + offsets[i]));
        }
      }
      previousRow = static_cast<int>(rows.Column());
      previousTarget = target;
    }
  }
}

template <int Bytes>
void CopyLoop(const BlitArgs& a) {
  const bool flip = a.flags & kBlitFlip;
  for (int j = 0; j < a.height; ++j) {
    const int sourceRow = flip ? a.sourceY + a.height - 1 - j : a.sourceY + j;
    CopyRowAligned(RowAt(a.target, a.targetStride, a.targetY + j) + static_cast<std::ptrdiff_t>(a.targetX) * Bytes,
                   RowAt(a.source, a.sourceStride, sourceRow) + static_cast<std::ptrdiff_t>(a.sourceX) * Bytes,
                   static_cast<std::size_t>(a.width) * Bytes);
  }
}

// The kernels of one depth, named by effect; each depth's file instantiates them.
template <int Bytes>
void KeyedCopy(const BlitArgs& a) {
  if ((a.flags & (kBlitSourceKey | kBlitDestKey | kBlitMirror)) == 0) return CopyLoop<Bytes>(a);
  SameSizeLoop<Bytes>(a, CopyEffect{});
}

template <int Bytes>
void ScaledKeyedCopy(const BlitArgs& a) {
  if ((a.flags & (kBlitSourceKey | kBlitDestKey)) == 0) return ScaledCopyLoop<Bytes>(a);
  ScaledLoop<Bytes>(a, CopyEffect{});
}

}  // namespace ossen::blit
