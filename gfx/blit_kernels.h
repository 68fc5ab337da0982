// The pixel kernels of the blit engine and the table the dispatcher walks to pick one.
// A kernel gets rectangles that lie inside both buffers (the engine has clipped and
// checked them) and converts nothing between depths.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ossen {

struct BlitArgs {
  std::uint8_t* target = nullptr;
  std::ptrdiff_t targetStride = 0;
  int targetX = 0, targetY = 0;
  int width = 0, height = 0;  // target rectangle
  const std::uint8_t* source = nullptr;
  std::ptrdiff_t sourceStride = 0;
  int sourceX = 0, sourceY = 0;
  int sourceWidth = 0, sourceHeight = 0;  // differs from width/height only when scaling
  std::uint32_t flags = 0;
  std::uint32_t sourceKey = 0;
  std::uint32_t destKey = 0;
  int level = 255;  // 1..255
  const std::uint8_t* mask = nullptr;  // 8-bit, read at source coordinates
  std::ptrdiff_t maskStride = 0;
};

using BlitKernel = void (*)(const BlitArgs&);

// Same-size kernels. "Keyed" forms apply the source and destination keys as the flags
// ask; every kernel honours mirror and flip.
void Copy8(const BlitArgs&);
void KeyedCopy8(const BlitArgs&);
void DitheredLevel8(const BlitArgs&);
void DitheredMask8(const BlitArgs&);
void Copy16(const BlitArgs&);
void KeyedCopy16(const BlitArgs&);
void DitheredLevel16(const BlitArgs&);
void DitheredMask16(const BlitArgs&);
void LevelBlend555(const BlitArgs&);
void LevelBlend565(const BlitArgs&);
void MaskBlend555(const BlitArgs&);
void MaskBlend565(const BlitArgs&);
void Copy24(const BlitArgs&);
void KeyedCopy24(const BlitArgs&);
void DitheredLevel24(const BlitArgs&);
void DitheredMask24(const BlitArgs&);
void LevelBlend24(const BlitArgs&);
void MaskBlend24(const BlitArgs&);
void KeyedCopy32(const BlitArgs&);
void DitheredLevel32(const BlitArgs&);
void DitheredMask32(const BlitArgs&);
void LevelBlend32(const BlitArgs&);
void MaskBlend32(const BlitArgs&);

// SSE2 forms. Copies, keyed copies and dithered levels write exactly the pixels of the
// plain forms (the copies are chosen only without mirror); blends compute
// (s x level + t x (256 - level)) >> 8 per channel at the channel's own width.
void KeyedCopy8Sse2(const BlitArgs&);
void DitheredLevel8Sse2(const BlitArgs&);
void KeyedCopy16Sse2(const BlitArgs&);
void LevelBlend555Sse2(const BlitArgs&);
void LevelBlend565Sse2(const BlitArgs&);
void MaskBlend555Sse2(const BlitArgs&);
void MaskBlend565Sse2(const BlitArgs&);
void LevelBlend32Sse2(const BlitArgs&);
void MaskBlend32Sse2(const BlitArgs&);

// The tint of one 16-bit row toward `colour`, per channel (p x w + c x (256 - w)) >> 8.
void TintRow555Sse2(std::uint8_t* row, int width, std::uint32_t colour, int weight);
void TintRow565Sse2(std::uint8_t* row, int width, std::uint32_t colour, int weight);

// Nearest-neighbour scaling kernels: target pixel (i, j) takes column i x sw / dw and row
// j x sh / dh of the (mirrored, flipped) source rectangle, stepped by accumulators.
void ScaledKeyedCopy8(const BlitArgs&);
void ScaledDitheredLevel8(const BlitArgs&);
void ScaledKeyedCopy16(const BlitArgs&);
void ScaledDitheredLevel16(const BlitArgs&);
void ScaledMaskBlend555(const BlitArgs&);
void ScaledMaskBlend565(const BlitArgs&);
void ScaledKeyedCopy24(const BlitArgs&);
void ScaledDitheredLevel24(const BlitArgs&);
void ScaledKeyedCopy32(const BlitArgs&);
void ScaledDitheredLevel32(const BlitArgs&);

// What a kernel does to a pixel; the tests pick their reference rule by it.
enum class BlitEffect { kCopy, kKeyedCopy, kDitheredLevel, kDitheredMask, kLevelBlend, kMaskBlend };

// When a row applies, given the context's MMX flag and the mirror flag.
enum class SimdRule {
  kAny,            // either way
  kMmx,            // MMX flag set
  kNoMmx,          // MMX flag clear
  kMmxNoMirror,    // MMX flag set and no mirror
  kNoMmxOrMirror,  // MMX flag clear, or mirror
};

enum class PixelCode { kAny, k555, k565 };

// One row of the dispatch table. A row applies when the source depth and scaling match,
// the flags hold at least one of `anyOf` (when not 0) and none of `noneOf`, the SIMD
// rule holds and the 16-bit pixel code matches. The first row that applies wins.
struct BlitKernelRow {
  int bitsPerPixel;
  bool scaling;
  std::uint32_t anyOf;
  std::uint32_t noneOf;
  SimdRule simd;
  PixelCode code;
  bool needsMask;
  BlitEffect effect;
  bool mmxBlend;  // blends by the MMX formula
  BlitKernel kernel;
  const char* name;
};

// The row for a blit, or null when none applies (sources below 8 bits). `flags` without
// kBlitNoClip; `format` is the source's pixel format code.
const BlitKernelRow* FindBlitKernel(std::uint32_t format, bool scaling, std::uint32_t flags,
                                    bool mmx);

// The whole table, specific to general, for tests and tools.
struct BlitKernelTable {
  const BlitKernelRow* rows;
  std::size_t count;
};
BlitKernelTable AllBlitKernels();

}  // namespace ossen
