// The software blit engine on raw pixel memory: clipping, kernel dispatch, fills, lines,
// tints and single-pixel access. Surfaces call it between LockBits and UnlockBits with
// views of their pixels; nothing here knows about surfaces, palettes or locks.
//
// Result codes are the graphics layer's: 0 success (also: nothing left to draw),
// 2 invalid rectangle or unusable buffer view, 3 no image (format code 0).
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/packed_dib.h"

namespace ossen {

// Blit flags.
enum BlitFlag : std::uint32_t {
  kBlitSourceKey = 0x1,         // source pixels equal to the source key are not copied
  kBlitDestKey = 0x2,           // only target pixels equal to the destination key change
  kBlitMirror = 0x4,            // source rows read right to left
  kBlitFlip = 0x8,              // source rows read bottom to top
  kBlitDitheredLevel = 0x10,    // ordered-dither translucency at a constant level
  kBlitLevelBlend = 0x20,       // blended translucency at a constant level
  kBlitMaskBlend = 0x80,        // per-pixel blend through an 8-bit mask
  kBlitDitheredMask = 0x100,    // per-pixel dithered mask
  kBlitNoClip = 0x80000000u,    // caller vouches that both rectangles lie inside
};

// Bytes per pixel of a format code (bits 27-29, 0 below 8). The format codes themselves
// (kFormatIndexed8, kFormatRgb565, ...) and FormatBitsPerPixel are image/packed_dib.h's.
inline int FormatBytesPerPixel(std::uint32_t format) { return (format >> 27) & 0x7; }
// 16-bit codes whose green count is 6 are 5:6:5, every other 16-bit code is 5:5:5.
inline bool FormatIs565(std::uint32_t format) { return (format & 0xF0) == 0x60; }

// A view of locked pixels: row y starts at bits + y * stride, whatever the surface's
// orientation. A source view carries its surface's source key, a target view its
// surface's destination key.
struct PixelBuffer {
  std::uint8_t* bits = nullptr;
  std::ptrdiff_t stride = 0;  // bytes between rows; at least width * bytes per pixel
  int width = 0;
  int height = 0;
  std::uint32_t format = 0;  // pixel format code; 0 = no image
  std::uint32_t sourceKey = 0;
  std::uint32_t destKey = 0;
};

// x, y, width, height; covers [x, x + w) x [y, y + h).
struct PixelRect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
};

// The two rectangles of a blit: target (dx, dy, dw, dh), source (sx, sy, sw, sh).
struct BlitRects {
  int dx = 0, dy = 0, dw = 0, dh = 0;
  int sx = 0, sy = 0, sw = 0, sh = 0;
};

// Clips a blit's rectangles against a target of targetWidth x targetHeight (further
// limited to `clip` when given) and a source of sourceWidth x sourceHeight. Returns 2 for
// an invalid source rectangle, else 0; on 0, `rects` holds the rectangles to draw, with
// dw == 0 when nothing is visible. All arithmetic is 64-bit.
//
// With kBlitMirror the source columns kept are the ones that land in the visible target
// columns of the whole mirrored blit (a cut at the target's right edge removes source
// columns at the left), and kBlitFlip does the same for rows. A source rectangle that
// truncation shrinks to zero columns or rows keeps the one it reads.
// With kBlitNoClip the rectangles are taken unchanged, but are still checked to lie
// inside both buffers (2 otherwise), so no blit ever reaches outside its memory; a
// `clip` rectangle, when given, is always applied and the flag then has no effect.
int BlitClip(int targetWidth, int targetHeight, int sourceWidth, int sourceHeight,
             std::uint32_t flags, const PixelRect* clip, BlitRects& rects);

// Draws source rectangle (sx, sy, sw, sh) into target rectangle (dx, dy, dw, dh): clips,
// picks a kernel by the source's depth, same size or scaling, the flags and `mmx`, and
// runs it. `level` (kBlitDitheredLevel, kBlitLevelBlend) is clamped to 1..255; `mask`
// (kBlitMaskBlend, kBlitDitheredMask) is an 8-bit indexed view read at the source
// pixel's coordinates, and a missing, non-8-bit or too small mask draws nothing. The
// target must have the source's bits per pixel (2 otherwise). Returns 0, 2 or 3.
int BlitPixels(const PixelBuffer& target, int dx, int dy, int dw, int dh,
               const PixelBuffer& source, int sx, int sy, int sw, int sh, std::uint32_t flags,
               int level, const PixelBuffer* mask, bool mmx, const PixelRect* clip = nullptr);

// Fills a rectangle (cut to the buffer and `clip`) with a raw pixel value; 1 to 32 bits.
int FillPixels(const PixelBuffer& target, int x, int y, int w, int h, std::uint32_t value,
               const PixelRect* clip = nullptr);

// Draws the line from (x0, y0) towards (x1, y1), its last point not set, clipped with
// Cohen-Sutherland to the buffer (and `clip`); 8, 16, 24 and 32 bits.
int DrawLine(const PixelBuffer& target, int x0, int y0, int x1, int y1, std::uint32_t value,
             const PixelRect* clip = nullptr);

// Blends a rectangle toward `colour` with `weight` (clamped to 1..255) on the pixel.
// Only mode 1 on 16-bit buffers does anything.
int TintPixels(const PixelBuffer& target, int x, int y, int w, int h, int mode,
               std::uint32_t colour, int weight, bool mmx, const PixelRect* clip = nullptr);

// Pixel (x, y) of row y in memory, its bytes little-endian; 0 outside the buffer or for
// formats below 8 bits.
std::uint32_t GetPixelAt(const PixelBuffer& buffer, int x, int y);
// Stores the value's low bytes at (x, y). 0 when done (formats below 8 bits write nothing
// and also return 0); 2 outside the buffer; 3 without image.
int SetPixelAt(const PixelBuffer& buffer, int x, int y, std::uint32_t value);

// A usable view: an image, bits, a depth the engine knows, and rows that fit.
bool IsUsablePixelBuffer(const PixelBuffer& buffer);

}  // namespace ossen
