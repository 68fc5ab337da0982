// An image whose pixels live in a packed DIB held by a data source: what the loaders
// produce and the codecs work on. Rows are stored bottom-up. It adds to the surface table
// the data-source operations in slots 35 to 39.
//
// Result codes beyond the surface's: 4 pixel bits locked, 5 a compression code the
// operation does not handle (also: the codec refused the data; the image keeps its old
// source), 6 not compressed, 7 already compressed.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "gfx/surface.h"
#include "image/data_source.h"
#include "image/global_block.h"

namespace ossen {

inline constexpr int kGfxBitsLocked = 4;
inline constexpr int kGfxUnknownCompression = 5;
inline constexpr int kGfxNotCompressed = 6;
inline constexpr int kGfxAlreadyCompressed = 7;

// Load flags beyond the source mode in the low four bits.
inline constexpr DWORD kLoadFromFile = 0;
inline constexpr DWORD kLoadFromResource = 1;
inline constexpr DWORD kLoadFromDataSource = 2;
inline constexpr DWORD kLoadCopyBytes = 0x10000;     // keep no file or resource open
inline constexpr DWORD kLoadDecompress = 0x20000;    // decompress a compressed image
inline constexpr DWORD kLoadConvertToTemplate = 0x40000;  // take the template's format and palette

class DibImage : public Surface {
 public:
  // A new empty image, reference count 1; null when memory ran out.
  static SurfaceRef<DibImage> New();
  ~DibImage() override;

  void Reset() override;
  // Header for the format code, then pixel bytes as allocated; 2 for an unknown code or
  // a size that does not fit.
  int CreateBlank(int width, int height, DWORD format) override;
  int Load(const char* name, DWORD flags, HINSTANCE module, const ResourceId& type, Surface* templateImage,
           DataSource* callerSource) override;
  // From another image: a copy of its whole packed DIB; from another kind: the general copy.
  int CopyFrom(Surface* source) override;
  int ConvertFormat(DWORD targetFormat, Palette* targetPalette, DWORD flags) override;
  void Destroy() override;
  int TypeId() const override { return kSurfaceTypeDibImage; }
  // Stores the palette into the colour table, never into read-only bytes and never past
  // the table the header holds.
  int WritePaletteToTable() override;
  int SetPalette(Palette* newPalette) override;
  int LockBits(std::uint8_t*& bits, int& stride) override;
  int UnlockBits() override;
  void Prefetch() override;
  bool IsBottomUp() const override { return true; }

  // Slot 35: takes the source over (also on failure, when it is destroyed). 2 without
  // source, or for bytes that are not a whole packed DIB with or without "BM".
  virtual int AttachSource(std::unique_ptr<DataSource> newSource);
  // Slot 36: the information header inside the source, null without one.
  virtual std::uint8_t* GetInfoHeader();
  // Slot 37: "PKCC", "ARLE", "PRLE" or "TRLE".
  virtual int Compress(DWORD requestCode);
  // Slot 38.
  virtual int Decompress();
  // Slot 39.
  virtual bool IsCompressed() const { return compressed != 0; }

  const DataSource* Source() const { return source.get(); }

  std::unique_ptr<DataSource> source;
  std::int32_t compressed = 0;
  DWORD writtenPaletteVersion = 0;
  std::uint8_t* lockedBits = nullptr;  // the access handle while locked

 private:
  DibImage() = default;

  // The packed DIB's bytes in the source (file header skipped); empty without source.
  std::span<std::uint8_t> PackedDib() const;
  // Replaces the source by a codec's output; false (source kept) when there is none.
  bool ReplaceSource(GlobalBlock block);
  void BuildPaletteFromTable(std::span<const std::uint8_t> dib);

  std::size_t headerOffset_ = 0;  // 14 when the bytes start with a file header
};

}  // namespace ossen
