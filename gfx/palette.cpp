#include "gfx/palette.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "gfx/object_registry.h"

namespace ossen {

namespace {

// Whether [start, start + count) lies within `size`, without wrapping.
bool RangeFits(DWORD start, DWORD count, std::size_t size) {
  return std::uint64_t{start} + count <= size;
}

// The inverse table made last, with the entries it was made from. Building one asks the
// octree 32768 times, which costs more than decoding a painting; the apply engine makes a
// fresh copy of the same palette for every apply, so the table is often wanted again.
class LastInverseTable {
 public:
  // Copies the table into `out` when it was made from exactly these entries.
  bool CopyIfMadeFrom(const std::vector<PaletteEntry>& entries, BYTE* out) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!table_ || entries != entries_) return false;
    std::memcpy(out, table_.get(), kInverseTableSize);
    return true;
  }
  void Remember(const std::vector<PaletteEntry>& entries, const BYTE* table) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!table_) table_.reset(new (std::nothrow) BYTE[kInverseTableSize]);
    if (!table_) return;
    std::memcpy(table_.get(), table, kInverseTableSize);
    entries_ = entries;
  }

 private:
  std::mutex lock_;
  std::vector<PaletteEntry> entries_;
  std::unique_ptr<BYTE[]> table_;
};

LastInverseTable& SharedLastInverseTable() {
  static LastInverseTable* last = new LastInverseTable;  // never destroyed: used until exit
  return *last;
}

}  // namespace

std::unique_ptr<GdiPalette> GdiPalette::Create(WORD version, std::span<const PaletteEntry> entries) {
  if (version != kLogPaletteVersion || entries.empty() || entries.size() > 0xFFFF) return nullptr;
  std::unique_ptr<GdiPalette> palette(new (std::nothrow) GdiPalette);
  if (!palette) return nullptr;
  palette->entries_.assign(entries.begin(), entries.end());
  return palette;
}

UINT GdiPalette::SetPaletteEntries(UINT start, std::span<const PaletteEntry> entries) {
  if (!RangeFits(start, static_cast<DWORD>(entries.size()), entries_.size()) || entries.size() > 0xFFFF) return 0;
  std::copy(entries.begin(), entries.end(), entries_.begin() + start);
  ++updates_;
  return static_cast<UINT>(entries.size());
}

PaletteRef Palette::New() {
  std::unique_ptr<Palette> palette(new (std::nothrow) Palette);
  return PaletteRef::Adopt(palette.release());
}

Palette::Palette() { registryNode_ = RegisterObject(PaletteRegistry(), this); }

Palette::~Palette() {
  Destroy();
  UnregisterObject(PaletteRegistry(), registryNode_);
}

void Palette::DeleteForShutdown(Palette* palette) { std::unique_ptr<Palette> owned(palette); }

void Palette::Reset() {
  entries_.clear();
  entries_.shrink_to_fit();
  gdiPalette_.reset();
  octree_.reset();
  inverseTable_.reset();
}

void Palette::Destroy() { Reset(); }

int Palette::Create(DWORD count) {
  if (HasEntries()) return kGfxNoImage;
  if (count == 0 || count > 0xFFFF) return kGfxFailed;
  std::vector<PaletteEntry> entries;
  entries.resize(count, PaletteEntry{0, 0, 0, 0});
  std::unique_ptr<GdiPalette> gdi = GdiPalette::Create(kLogPaletteVersion, entries);
  if (!gdi) return kGfxFailed;
  entries_ = std::move(entries);
  gdiPalette_ = std::move(gdi);
  return kGfxOk;
}

int Palette::CreateFrom(const Palette* other) {
  if (!other) return kGfxNotSupported;
  if (!other->HasEntries()) return kGfxFailed;
  if (HasEntries()) return kGfxNoImage;
  const int result = Create(other->EntryCount());
  if (result != kGfxOk) return result;
  entries_ = other->entries_;
  gdiPalette_->SetPaletteEntries(0, entries_);
  return kGfxOk;
}

PaletteRef Palette::Clone() const {
  PaletteRef copy = New();
  if (!copy || copy->CreateFrom(this) != kGfxOk) return PaletteRef();
  return copy;
}

int Palette::GetEntries(std::span<PaletteEntry> out, DWORD start, DWORD count) const {
  if (!out.data()) return kGfxNotSupported;
  if (!HasEntries() || !RangeFits(start, count, entries_.size()) || count > out.size()) return kGfxFailed;
  std::copy_n(entries_.begin() + start, count, out.begin());
  return kGfxOk;
}

int Palette::CopyEntries(const Palette* other, DWORD start, DWORD count, DWORD otherStart) {
  if (!other) return kGfxNotSupported;
  if (!RangeFits(otherStart, count, other->entries_.size())) {
    // An empty source reads as no data, like a null entries pointer.
    return other->HasEntries() ? kGfxFailed : kGfxNotSupported;
  }
  return SetEntries(std::span<const PaletteEntry>(other->entries_).subspan(otherStart), start, count);
}

int Palette::SetEntries(std::span<const PaletteEntry> data, DWORD start, DWORD count) {
  if (!data.data()) return kGfxNotSupported;
  if (!HasEntries() || !RangeFits(start, count, entries_.size()) || count > data.size()) return kGfxFailed;
  octree_.reset();
  std::copy_n(data.begin(), count, entries_.begin() + start);
  if (gdiPalette_) gdiPalette_->SetPaletteEntries(0, entries_);
  ++version_;
  return kGfxOk;
}

LONG Palette::AddRef() { return ++referenceCount_; }

LONG Palette::Release() {
  if (referenceCount_ <= 1) {
    std::unique_ptr<Palette> owned(this);
    return 0;
  }
  return --referenceCount_;
}

const BYTE* Palette::InverseTable() {
  if (inverseTable_ || !HasEntries()) return inverseTable_.get();
  std::unique_ptr<BYTE[]> table(new (std::nothrow) BYTE[kInverseTableSize]);
  octree_.reset(new (std::nothrow) ColorOctree);
  if (!table || !octree_) return nullptr;
  for (DWORD i = 0; i < EntryCount(); ++i) octree_->Add(entries_[i].red, entries_[i].green, entries_[i].blue, i);
  if (SharedLastInverseTable().CopyIfMadeFrom(entries_, table.get())) {
    inverseTable_ = std::move(table);
    return inverseTable_.get();
  }
  for (unsigned red5 = 0; red5 < 32; ++red5) {
    for (unsigned green5 = 0; green5 < 32; ++green5) {
      for (unsigned blue5 = 0; blue5 < 32; ++blue5) {
        const ColorOctree::Node* leaf = octree_->FindNearest(static_cast<BYTE>(red5 * 8), static_cast<BYTE>(green5 * 8),
                                                              static_cast<BYTE>(blue5 * 8));
        table[red5 << 10 | green5 << 5 | blue5] = leaf ? static_cast<BYTE>(leaf->value) : 0;
      }
    }
  }
  SharedLastInverseTable().Remember(entries_, table.get());
  inverseTable_ = std::move(table);
  return inverseTable_.get();
}

}  // namespace ossen
