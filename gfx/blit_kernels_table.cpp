// The dispatch table: one row per (depth, scaling, flags, MMX, pixel code) -> kernel,
// specific to general. The dispatcher takes the first row that applies.
#include <iterator>

#include "gfx/blit_engine.h"
#include "gfx/blit_kernels.h"

namespace ossen {
namespace {

constexpr std::uint32_t kLevels = kBlitDitheredLevel | kBlitLevelBlend;
constexpr std::uint32_t kMasks = kBlitMaskBlend | kBlitDitheredMask;
constexpr std::uint32_t kEffects = kLevels | kMasks;
constexpr std::uint32_t kAnyFlag = ~kBlitNoClip;  // "flags 0": none of these

using enum SimdRule;
using enum BlitEffect;
constexpr PixelCode kAnyCode = PixelCode::kAny;
constexpr PixelCode k555 = PixelCode::k555;
constexpr PixelCode k565 = PixelCode::k565;
constexpr bool kSame = false;
constexpr bool kScaled = true;
constexpr bool kMask = true;
constexpr bool kNoMask = false;
constexpr bool kMmxFormula = true;
constexpr bool kPlainFormula = false;

#define OSSEN_KERNEL(fn) fn, #fn

constexpr BlitKernelRow kRows[] = {
    // 8 bits, same size
    {8, kSame, kMasks, 0, kAny, kAnyCode, kMask, kDitheredMask, kPlainFormula, OSSEN_KERNEL(DitheredMask8)},
    {8, kSame, kLevels, 0, kNoMmxOrMirror, kAnyCode, kNoMask, kDitheredLevel, kPlainFormula, OSSEN_KERNEL(DitheredLevel8)},
    {8, kSame, kLevels, 0, kMmxNoMirror, kAnyCode, kNoMask, kDitheredLevel, kPlainFormula, OSSEN_KERNEL(DitheredLevel8Sse2)},
    {8, kSame, 0, kAnyFlag, kNoMmx, kAnyCode, kNoMask, kCopy, kPlainFormula, OSSEN_KERNEL(Copy8)},
    {8, kSame, 0, 0, kNoMmxOrMirror, kAnyCode, kNoMask, kKeyedCopy, kPlainFormula, OSSEN_KERNEL(KeyedCopy8)},
    {8, kSame, 0, 0, kMmxNoMirror, kAnyCode, kNoMask, kKeyedCopy, kPlainFormula, OSSEN_KERNEL(KeyedCopy8Sse2)},
    // 16 bits, same size
    {16, kSame, kBlitMaskBlend, 0, kMmx, k555, kMask, kMaskBlend, kMmxFormula, OSSEN_KERNEL(MaskBlend555Sse2)},
    {16, kSame, kBlitMaskBlend, 0, kAny, k555, kMask, kMaskBlend, kPlainFormula, OSSEN_KERNEL(MaskBlend555)},
    {16, kSame, kBlitMaskBlend, 0, kMmx, k565, kMask, kMaskBlend, kMmxFormula, OSSEN_KERNEL(MaskBlend565Sse2)},
    {16, kSame, kBlitMaskBlend, 0, kAny, k565, kMask, kMaskBlend, kPlainFormula, OSSEN_KERNEL(MaskBlend565)},
    {16, kSame, kBlitDitheredMask, 0, kAny, kAnyCode, kMask, kDitheredMask, kPlainFormula, OSSEN_KERNEL(DitheredMask16)},
    {16, kSame, kBlitDitheredLevel, 0, kAny, kAnyCode, kNoMask, kDitheredLevel, kPlainFormula, OSSEN_KERNEL(DitheredLevel16)},
    {16, kSame, kBlitLevelBlend, 0, kMmx, k555, kNoMask, kLevelBlend, kMmxFormula, OSSEN_KERNEL(LevelBlend555Sse2)},
    {16, kSame, kBlitLevelBlend, 0, kAny, k555, kNoMask, kLevelBlend, kPlainFormula, OSSEN_KERNEL(LevelBlend555)},
    {16, kSame, kBlitLevelBlend, 0, kMmx, k565, kNoMask, kLevelBlend, kMmxFormula, OSSEN_KERNEL(LevelBlend565Sse2)},
    {16, kSame, kBlitLevelBlend, 0, kAny, k565, kNoMask, kLevelBlend, kPlainFormula, OSSEN_KERNEL(LevelBlend565)},
    {16, kSame, 0, kAnyFlag, kNoMmx, kAnyCode, kNoMask, kCopy, kPlainFormula, OSSEN_KERNEL(Copy16)},
    {16, kSame, 0, 0, kNoMmxOrMirror, kAnyCode, kNoMask, kKeyedCopy, kPlainFormula, OSSEN_KERNEL(KeyedCopy16)},
    {16, kSame, 0, kEffects, kMmxNoMirror, kAnyCode, kNoMask, kKeyedCopy, kPlainFormula, OSSEN_KERNEL(KeyedCopy16Sse2)},
    // 24 bits, same size
    {24, kSame, kBlitMaskBlend, 0, kAny, kAnyCode, kMask, kMaskBlend, kPlainFormula, OSSEN_KERNEL(MaskBlend24)},
    {24, kSame, kBlitDitheredMask, 0, kAny, kAnyCode, kMask, kDitheredMask, kPlainFormula, OSSEN_KERNEL(DitheredMask24)},
    {24, kSame, kBlitLevelBlend, 0, kAny, kAnyCode, kNoMask, kLevelBlend, kPlainFormula, OSSEN_KERNEL(LevelBlend24)},
    {24, kSame, kBlitDitheredLevel, 0, kAny, kAnyCode, kNoMask, kDitheredLevel, kPlainFormula, OSSEN_KERNEL(DitheredLevel24)},
    {24, kSame, 0, kAnyFlag, kAny, kAnyCode, kNoMask, kCopy, kPlainFormula, OSSEN_KERNEL(Copy24)},
    {24, kSame, 0, 0, kAny, kAnyCode, kNoMask, kKeyedCopy, kPlainFormula, OSSEN_KERNEL(KeyedCopy24)},
    // 32 bits, same size
    {32, kSame, kBlitMaskBlend, 0, kMmx, kAnyCode, kMask, kMaskBlend, kMmxFormula, OSSEN_KERNEL(MaskBlend32Sse2)},
    {32, kSame, kBlitMaskBlend, 0, kAny, kAnyCode, kMask, kMaskBlend, kPlainFormula, OSSEN_KERNEL(MaskBlend32)},
    {32, kSame, kBlitDitheredMask, 0, kAny, kAnyCode, kMask, kDitheredMask, kPlainFormula, OSSEN_KERNEL(DitheredMask32)},
    {32, kSame, kBlitLevelBlend, 0, kMmx, kAnyCode, kNoMask, kLevelBlend, kMmxFormula, OSSEN_KERNEL(LevelBlend32Sse2)},
    {32, kSame, kBlitLevelBlend, 0, kAny, kAnyCode, kNoMask, kLevelBlend, kPlainFormula, OSSEN_KERNEL(LevelBlend32)},
    {32, kSame, kBlitDitheredLevel, 0, kAny, kAnyCode, kNoMask, kDitheredLevel, kPlainFormula, OSSEN_KERNEL(DitheredLevel32)},
    {32, kSame, 0, 0, kAny, kAnyCode, kNoMask, kKeyedCopy, kPlainFormula, OSSEN_KERNEL(KeyedCopy32)},
    // scaling
    {8, kScaled, kLevels, 0, kAny, kAnyCode, kNoMask, kDitheredLevel, kPlainFormula, OSSEN_KERNEL(ScaledDitheredLevel8)},
    {8, kScaled, 0, 0, kAny, kAnyCode, kNoMask, kKeyedCopy, kPlainFormula, OSSEN_KERNEL(ScaledKeyedCopy8)},
    {16, kScaled, kBlitMaskBlend, 0, kAny, k555, kMask, kMaskBlend, kPlainFormula, OSSEN_KERNEL(ScaledMaskBlend555)},
    {16, kScaled, kBlitMaskBlend, 0, kAny, k565, kMask, kMaskBlend, kPlainFormula, OSSEN_KERNEL(ScaledMaskBlend565)},
    {16, kScaled, kLevels, 0, kAny, kAnyCode, kNoMask, kDitheredLevel, kPlainFormula, OSSEN_KERNEL(ScaledDitheredLevel16)},
    {16, kScaled, 0, 0, kAny, kAnyCode, kNoMask, kKeyedCopy, kPlainFormula, OSSEN_KERNEL(ScaledKeyedCopy16)},
    {24, kScaled, kLevels, 0, kAny, kAnyCode, kNoMask, kDitheredLevel, kPlainFormula, OSSEN_KERNEL(ScaledDitheredLevel24)},
    {24, kScaled, 0, 0, kAny, kAnyCode, kNoMask, kKeyedCopy, kPlainFormula, OSSEN_KERNEL(ScaledKeyedCopy24)},
    {32, kScaled, kLevels, 0, kAny, kAnyCode, kNoMask, kDitheredLevel, kPlainFormula, OSSEN_KERNEL(ScaledDitheredLevel32)},
    {32, kScaled, 0, 0, kAny, kAnyCode, kNoMask, kKeyedCopy, kPlainFormula, OSSEN_KERNEL(ScaledKeyedCopy32)},
};

#undef OSSEN_KERNEL

bool SimdRuleHolds(SimdRule rule, bool mmx, bool mirror) {
  switch (rule) {
    case kAny: return true;
    case kMmx: return mmx;
    case kNoMmx: return !mmx;
    case kMmxNoMirror: return mmx && !mirror;
    case kNoMmxOrMirror: return !mmx || mirror;
  }
  return false;
}

bool PixelCodeMatches(PixelCode code, std::uint32_t format) {
  if (code == PixelCode::kAny) return true;
  return (code == PixelCode::k565) == FormatIs565(format);
}

}  // namespace

const BlitKernelRow* FindBlitKernel(std::uint32_t format, bool scaling, std::uint32_t flags, bool mmx) {
  flags &= ~kBlitNoClip;
  const int bitsPerPixel = FormatBitsPerPixel(format);
  const bool mirror = flags & kBlitMirror;
  for (const BlitKernelRow& row : kRows) {
    if (row.bitsPerPixel != bitsPerPixel || row.scaling != scaling) continue;
    if (row.anyOf != 0 && (flags & row.anyOf) == 0) continue;
    if ((flags & row.noneOf) != 0) continue;
    if (!SimdRuleHolds(row.simd, mmx, mirror) || !PixelCodeMatches(row.code, format)) continue;
    return &row;
  }
  return nullptr;
}

BlitKernelTable AllBlitKernels() { return {kRows, std::size(kRows)}; }

}  // namespace ossen
