#include "gfx/pixel_convert_simd.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "gfx/palette.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define OSSEN_MAP_ROW_X86 1
#endif

namespace ossen {

namespace {

// The table index of a pixel read as one little-endian word (bytes past the third ignored).
inline std::size_t IndexOfWord(std::uint32_t word, bool redFirst) {
  if (redFirst) return (word << 7 & 0x7C00) | (word >> 6 & 0x3E0) | (word >> 19 & 0x1F);
  return (word >> 9 & 0x7C00) | (word >> 6 & 0x3E0) | (word >> 3 & 0x1F);
}

// Pixels from `x` to the end of the row. Each pixel but the last is read as one 4-byte
// word; the last is read bytewise, since a word there could reach past the image.
void MapRowFrom(const MapRowSource& row, std::size_t x, const BYTE* inverse, BYTE* out) {
  const std::size_t step = row.bytesPerPixel;
  const BYTE* in = row.pixels + x * step;
  for (; x + 1 < row.width; ++x, in += step) {
    std::uint32_t word;
    std::memcpy(&word, in, 4);
    out[x] = inverse[IndexOfWord(word, row.redFirst)];
  }
  if (x < row.width) {
    const std::uint32_t word = std::uint32_t{in[0]} | std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]} << 16;
    out[x] = inverse[IndexOfWord(word, row.redFirst)];
  }
}

#ifdef OSSEN_MAP_ROW_X86

// Table reads and byte stores for `sizeof...(I)` 32-bit indices, spelled out (a loop here is
// left rolled at -O2). Measured: plain byte stores beat combining the bytes in registers.
template <std::size_t... I>
inline void LookUp(const std::uint32_t* indices, const BYTE* inverse, BYTE* out, std::index_sequence<I...>) {
  ((out[I] = inverse[indices[I]]), ...);
}

// SSE2: 32-bit pixels only (24-bit ones need a byte shuffle to spread into lanes).
__m128i IndicesSse2(__m128i words, bool redFirst) {
  const __m128i green = _mm_and_si128(_mm_srli_epi32(words, 6), _mm_set1_epi32(0x3E0));
  if (redFirst) {
    const __m128i red = _mm_and_si128(_mm_slli_epi32(words, 7), _mm_set1_epi32(0x7C00));
    const __m128i blue = _mm_and_si128(_mm_srli_epi32(words, 19), _mm_set1_epi32(0x1F));
    return _mm_or_si128(_mm_or_si128(red, green), blue);
  }
  const __m128i red = _mm_and_si128(_mm_srli_epi32(words, 9), _mm_set1_epi32(0x7C00));
  const __m128i blue = _mm_and_si128(_mm_srli_epi32(words, 3), _mm_set1_epi32(0x1F));
  return _mm_or_si128(_mm_or_si128(red, green), blue);
}

void MapRowSse2(const MapRowSource& row, const BYTE* inverse, BYTE* out) {
  std::size_t x = 0;
  if (row.bytesPerPixel == 4) {
    alignas(16) std::uint32_t indices[8];
    for (; x + 8 <= row.width; x += 8) {
      const BYTE* in = row.pixels + 4 * x;
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16));
      _mm_store_si128(reinterpret_cast<__m128i*>(indices), IndicesSse2(a, row.redFirst));
      _mm_store_si128(reinterpret_cast<__m128i*>(indices + 4), IndicesSse2(b, row.redFirst));
      LookUp(indices, inverse, out + x, std::make_index_sequence<8>());
    }
  }
  MapRowFrom(row, x, inverse, out);
}

// SSSE3 and AVX2 share one arithmetic: spread each pixel into a 32-bit lane as its three
// colour bytes and a zero, take the top five bits of each byte, then weigh and add them
// with two multiply-adds. Blue first: (b + 32 g) + 1024 r. Red first: 32 (32 r + g) + b.
struct Weights {
  std::int8_t byte0, byte1, byte2;
  std::int16_t low, high;
};
constexpr Weights kBlueFirstWeights{1, 32, 1, 1, 1024};
constexpr Weights kRedFirstWeights{32, 1, 1, 32, 1};

// Byte shuffles that put pixels into lanes. 24-bit: the first four pixels from a load at
// the pixel group's start, the next four from a load 8 bytes in (so that no load passes
// the group's 24 bytes). 32-bit: the fourth byte cleared.
#define OSSEN_SPREAD24_FIRST 0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1
#define OSSEN_SPREAD24_SECOND 4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1
#define OSSEN_SPREAD32 0, 1, 2, -1, 4, 5, 6, -1, 8, 9, 10, -1, 12, 13, 14, -1

__attribute__((target("ssse3"))) inline __m128i IndicesSsse3(__m128i lanes, __m128i byteWeights,
                                                             __m128i wordWeights) {
  const __m128i fives = _mm_and_si128(_mm_srli_epi16(lanes, 3), _mm_set1_epi8(0x1F));
  return _mm_madd_epi16(_mm_maddubs_epi16(fives, byteWeights), wordWeights);
}

__attribute__((target("ssse3"))) void MapRowSsse3(const MapRowSource& row, const BYTE* inverse, BYTE* out) {
  const Weights w = row.redFirst ? kRedFirstWeights : kBlueFirstWeights;
  const __m128i byteWeights = _mm_setr_epi8(w.byte0, w.byte1, w.byte2, 0, w.byte0, w.byte1, w.byte2, 0, w.byte0,
                                            w.byte1, w.byte2, 0, w.byte0, w.byte1, w.byte2, 0);
  const __m128i wordWeights = _mm_setr_epi16(w.low, w.high, w.low, w.high, w.low, w.high, w.low, w.high);
  const bool packed = row.bytesPerPixel == 3;
  const __m128i first = packed ? _mm_setr_epi8(OSSEN_SPREAD24_FIRST) : _mm_setr_epi8(OSSEN_SPREAD32);
  const __m128i second = packed ? _mm_setr_epi8(OSSEN_SPREAD24_SECOND) : _mm_setr_epi8(OSSEN_SPREAD32);
  const std::size_t secondAt = packed ? 8 : 16;
  alignas(16) std::uint32_t indices[8];
  std::size_t x = 0;
  for (; x + 8 <= row.width; x += 8) {
    const BYTE* in = row.pixels + row.bytesPerPixel * x;
    const __m128i a = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)), first);
    const __m128i b = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + secondAt)), second);
    _mm_store_si128(reinterpret_cast<__m128i*>(indices), IndicesSsse3(a, byteWeights, wordWeights));
    _mm_store_si128(reinterpret_cast<__m128i*>(indices + 4), IndicesSsse3(b, byteWeights, wordWeights));
    LookUp(indices, inverse, out + x, std::make_index_sequence<8>());
  }
  MapRowFrom(row, x, inverse, out);
}

__attribute__((target("avx2"))) inline __m256i Load2x128(const BYTE* low, const BYTE* high) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(low))),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(high)), 1);
}

__attribute__((target("avx2"))) inline __m256i IndicesAvx2(__m256i lanes, __m256i byteWeights, __m256i wordWeights) {
  const __m256i fives = _mm256_and_si256(_mm256_srli_epi16(lanes, 3), _mm256_set1_epi8(0x1F));
  return _mm256_madd_epi16(_mm256_maddubs_epi16(fives, byteWeights), wordWeights);
}

// Sixteen pixels a step: 48 or 64 bytes read as four 16-byte loads.
__attribute__((target("avx2"))) void MapRowAvx2(const MapRowSource& row, const BYTE* inverse, BYTE* out) {
  const Weights w = row.redFirst ? kRedFirstWeights : kBlueFirstWeights;
  const __m256i byteWeights = _mm256_set1_epi32(static_cast<int>(static_cast<std::uint8_t>(w.byte0) |
                                                                 static_cast<std::uint8_t>(w.byte1) << 8 |
                                                                 static_cast<std::uint8_t>(w.byte2) << 16));
  const __m256i wordWeights = _mm256_set1_epi32(static_cast<int>(static_cast<std::uint16_t>(w.low) |
                                                                 static_cast<std::uint32_t>(w.high) << 16));
  const bool packed = row.bytesPerPixel == 3;
  const __m256i spread = packed ? _mm256_setr_epi8(OSSEN_SPREAD24_FIRST, OSSEN_SPREAD24_SECOND)
                                : _mm256_setr_epi8(OSSEN_SPREAD32, OSSEN_SPREAD32);
  const std::size_t secondAt = packed ? 8 : 16;   // second half of each group of eight
  const std::size_t groupBytes = packed ? 24 : 32;
  std::size_t x = 0;
  for (; x + 16 <= row.width; x += 16) {
    const BYTE* in = row.pixels + row.bytesPerPixel * x;
    const __m256i a = _mm256_shuffle_epi8(Load2x128(in, in + secondAt), spread);
    const __m256i b = _mm256_shuffle_epi8(Load2x128(in + groupBytes, in + groupBytes + secondAt), spread);
    alignas(32) std::uint32_t indices[16];
    _mm256_store_si256(reinterpret_cast<__m256i*>(indices), IndicesAvx2(a, byteWeights, wordWeights));
    _mm256_store_si256(reinterpret_cast<__m256i*>(indices + 8), IndicesAvx2(b, byteWeights, wordWeights));
    LookUp(indices, inverse, out + x, std::make_index_sequence<16>());
  }
  MapRowFrom(row, x, inverse, out);
}

#endif  // OSSEN_MAP_ROW_X86

using MapRowFunction = void (*)(const MapRowSource&, const BYTE*, BYTE*);

MapRowFunction FunctionOf(MapRowForm form) {
  switch (form) {
    case MapRowForm::kPlain: return MapRowPlain;
#ifdef OSSEN_MAP_ROW_X86
    case MapRowForm::kSse2: return MapRowSse2;
    case MapRowForm::kSsse3: return __builtin_cpu_supports("ssse3") ? MapRowSsse3 : nullptr;
    case MapRowForm::kAvx2: return __builtin_cpu_supports("avx2") ? MapRowAvx2 : nullptr;
#endif
    default: return nullptr;
  }
}

MapRowForm ChooseForm() {
  for (MapRowForm form : {MapRowForm::kAvx2, MapRowForm::kSsse3, MapRowForm::kSse2}) {
    if (FunctionOf(form)) return form;
  }
  return MapRowForm::kPlain;
}

}  // namespace

void MapRowPlain(const MapRowSource& row, const BYTE* inverse, BYTE* out) {
  const std::size_t redAt = row.redFirst ? 0 : 2;
  const BYTE* in = row.pixels;
  for (std::size_t x = 0; x < row.width; ++x, in += row.bytesPerPixel) {
    out[x] = inverse[InverseTableIndex(in[redAt], in[1], in[2 - redAt])];
  }
}

MapRowForm FastestMapRowForm() {
  static const MapRowForm form = ChooseForm();
  return form;
}

void MapRow(const MapRowSource& row, const BYTE* inverse, BYTE* out) {
  static const MapRowFunction function = FunctionOf(FastestMapRowForm());
  function(row, inverse, out);
}

bool MapRowWith(MapRowForm form, const MapRowSource& row, const BYTE* inverse, BYTE* out) {
  const MapRowFunction function = FunctionOf(form);
  if (!function) return false;
  function(row, inverse, out);
  return true;
}

}  // namespace ossen
