// The shared palette object: its entries, the GDI palette that windows read, a version
// counter that surfaces compare to know when to rewrite their colour tables, and, built on
// the first request, an inverse table that maps every 5:5:5 colour to a palette index.
//
// Palettes are reference counted by hand: made with a count of 1 through Palette::New,
// AddRef on store, Release on replace or destroy. `PaletteRef` does that pairing for C++
// holders.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "gfx/color_octree.h"
#include "gfx/object_list.h"
#include "platform/base/win_types.h"

namespace ossen {

// Result codes of the graphics layer.
inline constexpr int kGfxOk = 0;
inline constexpr int kGfxNotSupported = 1;  // also: a required pointer argument is null
inline constexpr int kGfxFailed = 2;
inline constexpr int kGfxNoImage = 3;  // also: the palette already has entries
inline constexpr int kGfxPaletteSizeMismatch = 10;
inline constexpr int kGfxEmptyPalette = 11;
inline constexpr int kGfxCompressed = 12;

struct PaletteEntry {
  BYTE red;
  BYTE green;
  BYTE blue;
  BYTE flags;
  bool operator==(const PaletteEntry&) const = default;
};
static_assert(sizeof(PaletteEntry) == 4);

inline constexpr BYTE PC_RESERVED = 1;
inline constexpr WORD kLogPaletteVersion = 0x300;
inline constexpr std::size_t kInverseTableSize = 32768;

// Index of a colour in an inverse table: its top five bits per channel.
inline constexpr std::size_t InverseTableIndex(BYTE red, BYTE green, BYTE blue) {
  return std::size_t{static_cast<unsigned>(red >> 3) << 10 | static_cast<unsigned>(green >> 3) << 5 |
                     static_cast<unsigned>(blue >> 3)};
}

// The window system's palette object: a copy of the entries it was created with and that
// SetPaletteEntries changes. Windows showing a surface read their colours from here.
class GdiPalette {
 public:
  // Created from a logical palette; null for a version other than 0x300, no entries or
  // more than a 16-bit count can hold.
  static std::unique_ptr<GdiPalette> Create(WORD version, std::span<const PaletteEntry> entries);

  // Copies entries in from `start`; the number of entries set, 0 when out of range.
  UINT SetPaletteEntries(UINT start, std::span<const PaletteEntry> entries);
  std::span<const PaletteEntry> Entries() const { return entries_; }
  // How many SetPaletteEntries calls changed this palette.
  std::uint32_t UpdateCount() const { return updates_; }

 private:
  std::vector<PaletteEntry> entries_;
  std::uint32_t updates_ = 0;
};

class PaletteRef;

class Palette {
 public:
  // A new palette without entries, reference count 1, listed with the graphics context
  // when one exists. Null when memory ran out.
  static PaletteRef New();

  Palette(const Palette&) = delete;
  Palette& operator=(const Palette&) = delete;

  // Drops entries, GDI palette, octree and inverse table. The reference count is kept:
  // the object stays alive for whoever holds it.
  void Reset();
  void Destroy();

  // Allocates `count` zeroed entries and the GDI palette: 3 when entries exist, 2 when the
  // GDI palette cannot be made (no entries or more than 65535).
  int Create(DWORD count);
  // 1 for null, 2 when `other` has no entries, 3 when this one has; else a copy of them.
  int CreateFrom(const Palette* other);
  // A new palette holding a copy of the entries; null when this one has none.
  PaletteRef Clone() const;

  // Copies `count` entries from index `start` into `out`: 1 when out is null, 2 without
  // entries or when the range lies outside the palette or `out`.
  int GetEntries(std::span<PaletteEntry> out, DWORD start, DWORD count) const;
  // SetEntries of `count` entries of `other` from `otherStart`, stored at `start`.
  int CopyEntries(const Palette* other, DWORD start, DWORD count, DWORD otherStart);
  // Stores `count` entries of `data` at `start`, drops the octree (the inverse table is
  // kept), pushes the whole entry array to the GDI palette and raises the version.
  // 1 when data is null, 2 without entries or for a range outside the palette or `data`.
  int SetEntries(std::span<const PaletteEntry> data, DWORD start, DWORD count);

  LONG AddRef();
  // Drops one reference; when the count before was 1 or less the palette is deleted.
  // Returns the count left (0 once deleted).
  LONG Release();

  // The 32768-byte inverse table, built on the first request and kept until Destroy; null
  // without entries or when memory ran out.
  const BYTE* InverseTable();
  // The octree built with the inverse table; null before the first request and after
  // SetEntries.
  const ColorOctree* Octree() const { return octree_.get(); }

  DWORD EntryCount() const { return static_cast<DWORD>(entries_.size()); }
  bool HasEntries() const { return !entries_.empty(); }
  std::span<const PaletteEntry> Entries() const { return entries_; }
  DWORD Version() const { return version_; }
  LONG ReferenceCount() const { return referenceCount_; }
  const GdiPalette* GdiHandle() const { return gdiPalette_.get(); }

  // Used only by the context's shut-down: deletes the palette whatever its count.
  static void DeleteForShutdown(Palette* palette);

 private:
  Palette();
  ~Palette();
  friend struct std::default_delete<Palette>;

  std::vector<PaletteEntry> entries_;
  LONG referenceCount_ = 1;
  DWORD version_ = 0;
  ObjectList::Node* registryNode_ = nullptr;
  std::unique_ptr<GdiPalette> gdiPalette_;
  ObjectList children_;  // kept for the object's shape; stays empty
  std::unique_ptr<BYTE[]> inverseTable_;
  std::unique_ptr<ColorOctree> octree_;
};

// A counted reference to a palette: copying adds a reference, destruction releases one.
class PaletteRef {
 public:
  PaletteRef() = default;
  // Takes over a reference the caller already holds.
  static PaletteRef Adopt(Palette* palette) { return PaletteRef(palette); }
  // Adds a reference of its own.
  static PaletteRef Share(Palette* palette) {
    if (palette) palette->AddRef();
    return PaletteRef(palette);
  }

  PaletteRef(const PaletteRef& other) : palette_(other.palette_) {
    if (palette_) palette_->AddRef();
  }
  PaletteRef(PaletteRef&& other) noexcept : palette_(other.palette_) { other.palette_ = nullptr; }
  PaletteRef& operator=(PaletteRef other) noexcept {
    std::swap(palette_, other.palette_);
    return *this;
  }
  ~PaletteRef() {
    if (palette_) palette_->Release();
  }

  Palette* get() const { return palette_; }
  Palette* operator->() const { return palette_; }
  Palette& operator*() const { return *palette_; }
  explicit operator bool() const { return palette_ != nullptr; }
  // Gives the reference to the caller, who releases it later.
  Palette* Detach() {
    Palette* palette = palette_;
    palette_ = nullptr;
    return palette;
  }

 private:
  explicit PaletteRef(Palette* palette) : palette_(palette) {}
  Palette* palette_ = nullptr;
};

}  // namespace ossen
