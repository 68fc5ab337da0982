// The SSE2 forms of the busiest kernels (the "MMX forms"). Each row is a head that brings
// the target to a 16-byte boundary, a body of whole vectors and a tail; head and tail run
// the same rule pixel by pixel, so the result does not depend on the alignment.
#include <emmintrin.h>

#include "gfx/blit_kernels.h"
#include "gfx/blit_kernels_loops.h"

namespace ossen {

using namespace blit;

namespace {

// Runs scalar(i) until the target is 16-byte aligned (when its pixel alignment allows),
// vector(i) on `Lanes` pixels at a time, then scalar(i) for the rest.
template <int Bytes, int Lanes, class Scalar, class Vector>
void WalkRow(std::uint8_t* target, int width, Scalar scalar, Vector vector) {
  int i = 0;
  if (reinterpret_cast<std::uintptr_t>(target) % Bytes == 0) {
    for (; i < width && (reinterpret_cast<std::uintptr_t>(target + i * Bytes) & 15) != 0; ++i) scalar(i);
  }
  for (; i + Lanes <= width; i += Lanes) vector(i);
  for (; i < width; ++i) scalar(i);
}

inline __m128i Load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(std::uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
inline __m128i Select(__m128i keep, __m128i s, __m128i t) {
  return _mm_or_si128(_mm_and_si128(keep, s), _mm_andnot_si128(keep, t));
}

// Which lanes the keys let through: s differs from the source key, t equals the
// destination key, as the flags ask.
template <int Bytes>
struct KeyLanes {
  bool sourceKeyed, destKeyed;
  __m128i sourceKey, destKey;
  explicit KeyLanes(const BlitArgs& a)
      : sourceKeyed(a.flags & kBlitSourceKey), destKeyed(a.flags & kBlitDestKey) {
    if constexpr (Bytes == 1) {
      sourceKey = _mm_set1_epi8(static_cast<char>(a.sourceKey));
      destKey = _mm_set1_epi8(static_cast<char>(a.destKey));
    } else if constexpr (Bytes == 2) {
      sourceKey = _mm_set1_epi16(static_cast<short>(a.sourceKey));
      destKey = _mm_set1_epi16(static_cast<short>(a.destKey));
    } else {
      sourceKey = _mm_set1_epi32(static_cast<int>(a.sourceKey));
      destKey = _mm_set1_epi32(static_cast<int>(a.destKey));
    }
  }
  static __m128i Equal(__m128i x, __m128i y) {
    if constexpr (Bytes == 1) return _mm_cmpeq_epi8(x, y);
    else if constexpr (Bytes == 2) return _mm_cmpeq_epi16(x, y);
    else return _mm_cmpeq_epi32(x, y);
  }
  __m128i Keep(__m128i s, __m128i t) const {
    __m128i keep = _mm_set1_epi32(-1);
    if (sourceKeyed) keep = _mm_andnot_si128(Equal(s, sourceKey), keep);
    if (destKeyed) keep = _mm_and_si128(keep, Equal(t, destKey));
    return keep;
  }
};

inline const std::uint8_t* SourceRow(const BlitArgs& a, int j) {
  const int row = (a.flags & kBlitFlip) ? a.sourceY + a.height - 1 - j : a.sourceY + j;
  return RowAt(a.source, a.sourceStride, row);
}
inline const std::uint8_t* MaskRow(const BlitArgs& a, int j) {
  const int row = (a.flags & kBlitFlip) ? a.sourceY + a.height - 1 - j : a.sourceY + j;
  return RowAt(a.mask, a.maskStride, row);
}
inline std::uint8_t* TargetRow(const BlitArgs& a, int j, int bytes) {
  return RowAt(a.target, a.targetStride, a.targetY + j) + static_cast<std::ptrdiff_t>(a.targetX) * bytes;
}

// Source column of target pixel i, and the first column of a run of `lanes` pixels
// from i (the lowest column: the run is read backwards under mirror).
inline int SourceColumn(const BlitArgs& a, int i) {
  return (a.flags & kBlitMirror) ? a.sourceX + a.width - 1 - i : a.sourceX + i;
}
inline int RunStart(const BlitArgs& a, int i, int lanes) {
  return (a.flags & kBlitMirror) ? a.sourceX + a.width - i - lanes : a.sourceX + i;
}

inline __m128i ReverseWords(__m128i x) {
  x = _mm_shuffle_epi32(x, _MM_SHUFFLE(0, 1, 2, 3));
  x = _mm_shufflelo_epi16(x, _MM_SHUFFLE(2, 3, 0, 1));
  return _mm_shufflehi_epi16(x, _MM_SHUFFLE(2, 3, 0, 1));
}

// --- keyed copies ---

template <int Bytes>
void KeyedCopySse2(const BlitArgs& a) {
  using Io = PixelIo<Bytes>;
  constexpr int kLanes = 16 / Bytes;
  const KeyTest<Bytes> keys(a, true);
  const KeyLanes<Bytes> lanes(a);
  const bool unkeyed = !keys.sourceKeyed && !keys.destKeyed;
  for (int j = 0; j < a.height; ++j) {
    const std::uint8_t* source = SourceRow(a, j) + static_cast<std::ptrdiff_t>(a.sourceX) * Bytes;
    std::uint8_t* target = TargetRow(a, j, Bytes);
    if (unkeyed) {
      std::memmove(target, source, static_cast<std::size_t>(a.width) * Bytes);  // a surface may blit onto itself
      continue;
    }
    WalkRow<Bytes, kLanes>(
        target, a.width,
        [&](int i) {
          const std::uint32_t s = Io::Load(source + i * Bytes);
          if (!keys.Skip(s, Io::Load(target + i * Bytes))) Io::Store(target + i * Bytes, s);
        },
        [&](int i) {
          const __m128i s = Load(source + i * Bytes);
          const __m128i t = Load(target + i * Bytes);
          Store(target + i * Bytes, Select(lanes.Keep(s, t), s, t));
        });
  }
}

}  // namespace

void KeyedCopy8Sse2(const BlitArgs& a) {
  if (a.flags & kBlitMirror) return KeyedCopy8(a);
  KeyedCopySse2<1>(a);
}

void KeyedCopy16Sse2(const BlitArgs& a) {
  if (a.flags & kBlitMirror) return KeyedCopy16(a);
  KeyedCopySse2<2>(a);
}

// --- 8-bit dithered level: the pattern is built once per call, aligned to the target ---

void DitheredLevel8Sse2(const BlitArgs& a) {
  if (a.flags & kBlitMirror) return DitheredLevel8(a);
  // pattern[r][k]: 0xFF where target column k (mod 8) of row r (mod 8) takes the source;
  // three periods, so 16 bytes can start at any phase.
  alignas(16) std::uint8_t pattern[8][24];
  const int quarterLevel = a.level >> 2;
  for (int r = 0; r < 8; ++r)
    for (int k = 0; k < 24; ++k) pattern[r][k] = quarterLevel >= kDitherThreshold[r][k & 7] ? 0xFF : 0;
  const KeyTest<1> keys(a, true);
  const KeyLanes<1> lanes(a);
  for (int j = 0; j < a.height; ++j) {
    const std::uint8_t* source = SourceRow(a, j) + a.sourceX;
    std::uint8_t* target = TargetRow(a, j, 1);
    const std::uint8_t* patternRow = pattern[(a.targetY + j) & 7];
    WalkRow<1, 16>(
        target, a.width,
        [&](int i) {
          const std::uint32_t s = source[i];
          if (!keys.Skip(s, target[i]) && patternRow[(a.targetX + i) & 7]) target[i] = static_cast<std::uint8_t>(s);
        },
        [&](int i) {
          const __m128i s = Load(source + i);
          const __m128i t = Load(target + i);
          const __m128i on = Load(patternRow + ((a.targetX + i) & 7));
          Store(target + i, Select(_mm_and_si128(on, lanes.Keep(s, t)), s, t));
        });
  }
}

// --- 16-bit blends: (s x w + t x (256 - w)) >> 8 per channel on 16-bit lanes ---

namespace {

template <bool Is565>
__m128i WeightLanes16(__m128i s, __m128i t, __m128i w, __m128i inverse) {
  constexpr int kRedShift = Is565 ? 11 : 10;
  const __m128i five = _mm_set1_epi16(31);
  const __m128i green = _mm_set1_epi16(Is565 ? 63 : 31);
  auto channel = [&](__m128i cs, __m128i ct) {
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(cs, w), _mm_mullo_epi16(ct, inverse)), 8);
  };
  const __m128i r = channel(_mm_and_si128(_mm_srli_epi16(s, kRedShift), five),
                            _mm_and_si128(_mm_srli_epi16(t, kRedShift), five));
  const __m128i g = channel(_mm_and_si128(_mm_srli_epi16(s, 5), green), _mm_and_si128(_mm_srli_epi16(t, 5), green));
  const __m128i b = channel(_mm_and_si128(s, five), _mm_and_si128(t, five));
  return _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r, kRedShift), _mm_slli_epi16(g, 5)), b);
}

template <bool Is565>
std::uint32_t WeightPixel16(std::uint32_t s, std::uint32_t t, std::uint32_t w) {
  return Is565 ? WeightBlend565(s, t, w) : WeightBlend555(s, t, w);
}

template <bool Is565, bool ByMask>
void Blend16Sse2(const BlitArgs& a) {
  using Io = PixelIo<2>;
  const KeyTest<2> keys(a, !ByMask);
  const KeyLanes<2> keyLanes(a);
  const bool keyed = keys.sourceKeyed || keys.destKeyed;
  const bool mirror = a.flags & kBlitMirror;
  const __m128i zero = _mm_setzero_si128();
  const __m128i full = _mm_set1_epi16(255);
  const __m128i levelLanes = _mm_set1_epi16(static_cast<short>(a.level));
  const __m128i levelInverse = _mm_set1_epi16(static_cast<short>(256 - a.level));
  const __m128i all = _mm_set1_epi16(256);
  for (int j = 0; j < a.height; ++j) {
    const std::uint8_t* source = SourceRow(a, j);
    const std::uint8_t* maskLine = ByMask ? MaskRow(a, j) : nullptr;
    std::uint8_t* target = TargetRow(a, j, 2);
    WalkRow<2, 8>(
        target, a.width,
        [&](int i) {
          const int column = SourceColumn(a, i);
          const std::uint32_t s = Io::Load(source + column * 2);
          const std::uint32_t t = Io::Load(target + i * 2);
          if (ByMask) {
            const std::uint32_t m = maskLine[column];
            if (m == 0) return;
            Io::Store(target + i * 2, m == 255 ? s : WeightPixel16<Is565>(s, t, m));
          } else if (!keys.Skip(s, t)) {
            Io::Store(target + i * 2, WeightPixel16<Is565>(s, t, static_cast<std::uint32_t>(a.level)));
          }
        },
        [&](int i) {
          const int first = RunStart(a, i, 8);
          __m128i s = Load(source + first * 2);
          if (mirror) s = ReverseWords(s);
          const __m128i t = Load(target + i * 2);
          if (ByMask) {
            __m128i m = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(maskLine + first)), zero);
            if (mirror) m = ReverseWords(m);
            const __m128i blended = WeightLanes16<Is565>(s, t, m, _mm_sub_epi16(all, m));
            // m = 0 keeps t whole (a 5:5:5 blend would clear its unused top bit).
            const __m128i kept = Select(_mm_cmpeq_epi16(m, zero), t, blended);
            Store(target + i * 2, Select(_mm_cmpeq_epi16(m, full), s, kept));
          } else {
            const __m128i blended = WeightLanes16<Is565>(s, t, levelLanes, levelInverse);
            Store(target + i * 2, keyed ? Select(keyLanes.Keep(s, t), blended, t) : blended);
          }
        });
  }
}

// --- 32-bit blends: every byte a channel, two pixels per register of words ---

inline __m128i WeightBytes(__m128i s, __m128i t, __m128i wLow, __m128i wHigh) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i all = _mm_set1_epi16(256);
  auto half = [&](__m128i cs, __m128i ct, __m128i w) {
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(cs, w), _mm_mullo_epi16(ct, _mm_sub_epi16(all, w))), 8);
  };
  const __m128i low = half(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(t, zero), wLow);
  const __m128i high = half(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(t, zero), wHigh);
  return _mm_packus_epi16(low, high);
}

template <bool ByMask>
void Blend32Sse2(const BlitArgs& a) {
  using Io = PixelIo<4>;
  const KeyTest<4> keys(a, !ByMask);
  const KeyLanes<4> keyLanes(a);
  const bool keyed = keys.sourceKeyed || keys.destKeyed;
  const bool mirror = a.flags & kBlitMirror;
  const __m128i zero = _mm_setzero_si128();
  const __m128i levelLanes = _mm_set1_epi16(static_cast<short>(a.level));
  for (int j = 0; j < a.height; ++j) {
    const std::uint8_t* source = SourceRow(a, j);
    const std::uint8_t* maskLine = ByMask ? MaskRow(a, j) : nullptr;
    std::uint8_t* target = TargetRow(a, j, 4);
    WalkRow<4, 4>(
        target, a.width,
        [&](int i) {
          const int column = SourceColumn(a, i);
          const std::uint32_t s = Io::Load(source + column * 4);
          const std::uint32_t t = Io::Load(target + i * 4);
          if (ByMask) {
            const std::uint32_t m = maskLine[column];
            if (m == 0) return;
            Io::Store(target + i * 4, m == 255 ? s : WeightBlend32(s, t, m));
          } else if (!keys.Skip(s, t)) {
            Io::Store(target + i * 4, WeightBlend32(s, t, static_cast<std::uint32_t>(a.level)));
          }
        },
        [&](int i) {
          const int first = RunStart(a, i, 4);
          __m128i s = Load(source + first * 4);
          if (mirror) s = _mm_shuffle_epi32(s, _MM_SHUFFLE(0, 1, 2, 3));
          const __m128i t = Load(target + i * 4);
          if (ByMask) {
            std::uint32_t four;
            std::memcpy(&four, maskLine + first, 4);
            if (mirror) four = __builtin_bswap32(four);
            const __m128i words = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(four)), zero);
            const __m128i pairs = _mm_unpacklo_epi16(words, words);
            const __m128i low = _mm_unpacklo_epi32(pairs, pairs);
            const __m128i high = _mm_unpackhi_epi32(pairs, pairs);
            const __m128i full = _mm_set1_epi16(255);
            const __m128i opaque = _mm_packs_epi16(_mm_cmpeq_epi16(low, full), _mm_cmpeq_epi16(high, full));
            Store(target + i * 4, Select(opaque, s, WeightBytes(s, t, low, high)));
          } else {
            const __m128i blended = WeightBytes(s, t, levelLanes, levelLanes);
            Store(target + i * 4, keyed ? Select(keyLanes.Keep(s, t), blended, t) : blended);
          }
        });
  }
}

template <bool Is565>
void TintRowSse2(std::uint8_t* row, int width, std::uint32_t colour, int weight) {
  using Io = PixelIo<2>;
  const __m128i c = _mm_set1_epi16(static_cast<short>(colour));
  const __m128i w = _mm_set1_epi16(static_cast<short>(weight));
  const __m128i inverse = _mm_set1_epi16(static_cast<short>(256 - weight));
  WalkRow<2, 8>(
      row, width,
      [&](int i) {
        Io::Store(row + i * 2, WeightPixel16<Is565>(Io::Load(row + i * 2), colour, static_cast<std::uint32_t>(weight)));
      },
      [&](int i) { Store(row + i * 2, WeightLanes16<Is565>(Load(row + i * 2), c, w, inverse)); });
}

}  // namespace

void TintRow555Sse2(std::uint8_t* row, int width, std::uint32_t colour, int weight) {
  TintRowSse2<false>(row, width, colour, weight);
}
void TintRow565Sse2(std::uint8_t* row, int width, std::uint32_t colour, int weight) {
  TintRowSse2<true>(row, width, colour, weight);
}

void LevelBlend555Sse2(const BlitArgs& a) { Blend16Sse2<false, false>(a); }
void LevelBlend565Sse2(const BlitArgs& a) { Blend16Sse2<true, false>(a); }
void MaskBlend555Sse2(const BlitArgs& a) { Blend16Sse2<false, true>(a); }
void MaskBlend565Sse2(const BlitArgs& a) { Blend16Sse2<true, true>(a); }
void LevelBlend32Sse2(const BlitArgs& a) { Blend32Sse2<false>(a); }
void MaskBlend32Sse2(const BlitArgs& a) { Blend32Sse2<true>(a); }

}  // namespace ossen
