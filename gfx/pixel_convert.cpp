#include "gfx/pixel_convert.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "gfx/color_octree.h"
#include "gfx/pixel_convert_simd.h"
#include "image/four_cc.h"
#include "image/packed_dib.h"

namespace ossen {

namespace {

// How the pixels of one format code are laid out.
struct PixelLayout {
  DWORD bits = 0;
  bool indexed = false;
  bool redFirst = false;  // channel order 0xC6
  int redBits = 0;
  int greenBits = 0;
  int blueBits = 0;
};

bool Describe(DWORD code, PixelLayout& layout) {
  layout = PixelLayout{};
  layout.bits = FormatBitsPerPixel(code);
  if (code == kFormatIndexed8) {
    layout.indexed = true;
    return true;
  }
  const DWORD order = (code >> 16) & 0xFF;
  if ((code & 0xC000F000) != 0 || (order != kChannelOrderBgr && order != kChannelOrderRgb)) return false;
  layout.redFirst = order == kChannelOrderRgb;
  layout.redBits = static_cast<int>((code >> 8) & 0xF);
  layout.greenBits = static_cast<int>((code >> 4) & 0xF);
  layout.blueBits = static_cast<int>(code & 0xF);
  const DWORD widths = code & 0xFFF;
  switch (layout.bits) {
    case 16: return widths == 0x555 || widths == 0x565;
    case 24:
    case 32: return widths == 0x888;
    default: return false;
  }
}

struct Rgb {
  BYTE red, green, blue;
};
using ColourTable = std::array<Rgb, 256>;

// 16-bit pixels: the field nearest bit 0 is blue for the bitmap's order, red for 0xC6.
struct Fields16 {
  int lowShift, midShift, highShift;
  int lowBits, midBits, highBits;
};

Fields16 FieldsOf(const PixelLayout& layout) {
  const int lowBits = layout.redFirst ? layout.redBits : layout.blueBits;
  const int highBits = layout.redFirst ? layout.blueBits : layout.redBits;
  return Fields16{0, lowBits, lowBits + layout.greenBits, lowBits, layout.greenBits, highBits};
}

// A field widened to 8 bits: its bits at the top, zeros below.
inline BYTE Widen(unsigned field, int bits) { return static_cast<BYTE>(field << (8 - bits)); }

Rgb Unpack16(unsigned pixel, const PixelLayout& layout, const Fields16& f) {
  const BYTE low = Widen((pixel >> f.lowShift) & ((1u << f.lowBits) - 1), f.lowBits);
  const BYTE mid = Widen((pixel >> f.midShift) & ((1u << f.midBits) - 1), f.midBits);
  const BYTE high = Widen((pixel >> f.highShift) & ((1u << f.highBits) - 1), f.highBits);
  return layout.redFirst ? Rgb{low, mid, high} : Rgb{high, mid, low};
}

unsigned Pack16(Rgb c, const PixelLayout& layout, const Fields16& f) {
  const unsigned low = (layout.redFirst ? c.red : c.blue) >> (8 - f.lowBits);
  const unsigned high = (layout.redFirst ? c.blue : c.red) >> (8 - f.highBits);
  const unsigned mid = c.green >> (8 - f.midBits);
  return low << f.lowShift | mid << f.midShift | high << f.highShift;
}

// Turns one source row into 8-bit red, green, blue triples.
class RowReader {
 public:
  RowReader(const PixelLayout& layout, const ColourTable& table) : layout_(layout), table_(table), fields_(FieldsOf(layout)) {}

  Rgb At(const BYTE* row, std::size_t x) const {
    switch (layout_.bits) {
      case 8: return table_[row[x]];
      case 16: return Unpack16(static_cast<unsigned>(row[2 * x] | row[2 * x + 1] << 8), layout_, fields_);
      default: {
        const BYTE* p = row + x * (layout_.bits / 8);
        return layout_.redFirst ? Rgb{p[0], p[1], p[2]} : Rgb{p[2], p[1], p[0]};
      }
    }
  }

 private:
  const PixelLayout& layout_;
  const ColourTable& table_;
  Fields16 fields_;
};

void WritePixel(BYTE* row, std::size_t x, Rgb c, const PixelLayout& layout, const Fields16& f) {
  switch (layout.bits) {
    case 16: {
      const unsigned pixel = Pack16(c, layout, f);
      row[2 * x] = static_cast<BYTE>(pixel);
      row[2 * x + 1] = static_cast<BYTE>(pixel >> 8);
      break;
    }
    default: {
      BYTE* p = row + x * (layout.bits / 8);
      p[0] = layout.redFirst ? c.red : c.blue;
      p[1] = c.green;
      p[2] = layout.redFirst ? c.blue : c.red;
      if (layout.bits == 32) p[3] = 0;
      break;
    }
  }
}

// The source's colour table as colours; entries it lacks read as black.
ColourTable ReadColourTable(ByteView dib, const PackedDibLayout& layout) {
  ColourTable table{};
  const std::size_t entries = std::min<std::size_t>((layout.headerSize - kInfoHeaderBytes) / 4, 256);
  for (std::size_t i = 0; i < entries; ++i) {
    const BYTE* quad = dib.data() + kInfoHeaderBytes + 4 * i;
    table[i] = Rgb{quad[2], quad[1], quad[0]};
  }
  return table;
}

// Everything a conversion writes into: the new packed DIB and where its rows start.
struct Target {
  GlobalBlock block;
  BYTE* pixels = nullptr;
  std::size_t stride = 0;
};

bool AllocateTarget(LONG width, LONG height, DWORD targetFormat, const PixelLayout& layout, Target& target) {
  // Headers are built for the bitmap's order; a red-first code differs only in its masks.
  const DWORD headerFormat = (targetFormat & ~0x00FF0000u) | (layout.indexed ? 0 : kChannelOrderBgr << 16);
  const DWORD headerSize = BuiltHeaderSize(headerFormat);
  const DWORD stride = RowStride(targetFormat, width);
  if (headerSize == 0 || stride == 0) return false;
  const std::uint64_t imageBytes = std::uint64_t{stride} * static_cast<std::uint64_t>(height);
  if (imageBytes > kMaxImageBytes) return false;
  // Not cleared: the header, the padding below and the conversion write every byte.
  target.block = GlobalBlock::Allocate(static_cast<std::size_t>(headerSize + imageBytes));
  if (!target.block) return false;
  // Row padding: every byte of a row before it is written by the conversion.
  const std::size_t rowBytes = std::size_t{layout.bits / 8} * static_cast<std::size_t>(width);
  for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
    std::memset(target.block.data() + headerSize + y * stride + rowBytes, 0, stride - rowBytes);
  }
  BuildHeader(width, height, headerFormat, std::span<BYTE>(target.block.data(), headerSize));
  if (layout.bits == 16 && layout.redFirst) {
    const DWORD masks[3] = {0x1Fu, layout.greenBits == 6 ? 0x7E0u : 0x3E0u, layout.greenBits == 6 ? 0xF800u : 0x7C00u};
    std::memcpy(target.block.data() + kInfoHeaderBytes, masks, sizeof masks);
  }
  target.pixels = target.block.data() + headerSize;
  target.stride = stride;
  return true;
}

// The 8-bit target's colour table: the palette's first 256 entries as blue, green, red, 0.
void WriteColourTable(Target& target, std::span<const PaletteEntry> entries) {
  const std::size_t count = std::min<std::size_t>(entries.size(), 256);
  for (std::size_t i = 0; i < count; ++i) {
    BYTE* quad = target.block.data() + kInfoHeaderBytes + 4 * i;
    quad[0] = entries[i].blue;
    quad[1] = entries[i].green;
    quad[2] = entries[i].red;
    quad[3] = 0;
  }
}

// Floyd-Steinberg error diffusion over rows of 8-bit colours, with a caller's choice of
// index. Errors are integers and shifted arithmetically (rounding toward minus infinity).
class ErrorDiffuser {
 public:
  explicit ErrorDiffuser(std::size_t width) : width_(width), current_(width * 3), next_(width * 3) {}

  template <typename Choose>
  void Row(const RowReader& reader, const BYTE* source, BYTE* out, std::span<const PaletteEntry> colours,
           Choose choose) {
    current_.swap(next_);
    std::fill(next_.begin(), next_.end(), 0);
    int carry[3] = {0, 0, 0};
    for (std::size_t x = 0; x < width_; ++x) {
      const Rgb pixel = reader.At(source, x);
      const int channels[3] = {pixel.red, pixel.green, pixel.blue};
      int value[3];
      for (int c = 0; c < 3; ++c) value[c] = std::clamp(channels[c] + current_[x * 3 + c] + carry[c], 0, 255);
      const BYTE index = choose(static_cast<BYTE>(value[0]), static_cast<BYTE>(value[1]), static_cast<BYTE>(value[2]));
      out[x] = index;
      const PaletteEntry chosen = index < colours.size() ? colours[index] : PaletteEntry{0, 0, 0, 0};
      const int chosenChannels[3] = {chosen.red, chosen.green, chosen.blue};
      const bool hasNext = x + 1 < width_;
      for (int c = 0; c < 3; ++c) {
        const int error = value[c] - chosenChannels[c];
        if (x > 0) next_[(x - 1) * 3 + c] += (3 * error) >> 4;
        next_[x * 3 + c] += (5 * error) >> 4;
        if (hasNext) {
          next_[(x + 1) * 3 + c] += error >> 4;
          carry[c] = error - ((9 * error) >> 4);
        } else {
          carry[c] = 0;
        }
      }
    }
  }

 private:
  std::size_t width_;
  std::vector<int> current_;
  std::vector<int> next_;
};

struct Source {
  ByteView dib;
  PackedDibLayout layout;
  PixelLayout pixels;
  ColourTable table;
  const BYTE* Row(std::size_t y) const { return dib.data() + layout.headerSize + y * layout.stride; }
  std::size_t Width() const { return static_cast<std::size_t>(layout.header.width); }
  std::size_t Height() const { return static_cast<std::size_t>(layout.header.height); }
};

// Mapping through the inverse table: one table read per pixel in every loop.
void MapOntoPalette(const Source& source, const BYTE* inverse, Target& target) {
  const std::size_t width = source.Width();
  if (source.pixels.bits == 8 || source.pixels.bits == 16) {
    // Every possible source value resolved once, then a single lookup per pixel.
    const bool wide = source.pixels.bits == 16;
    std::vector<BYTE> lookup(wide ? 65536 : 256);
    const Fields16 fields = FieldsOf(source.pixels);
    for (std::size_t v = 0; v < lookup.size(); ++v) {
      const Rgb c = wide ? Unpack16(static_cast<unsigned>(v), source.pixels, fields) : source.table[v];
      lookup[v] = inverse[InverseTableIndex(c.red, c.green, c.blue)];
    }
    for (std::size_t y = 0; y < source.Height(); ++y) {
      const BYTE* in = source.Row(y);
      BYTE* out = target.pixels + y * target.stride;
      if (wide) {
        for (std::size_t x = 0; x < width; ++x) out[x] = lookup[static_cast<unsigned>(in[2 * x] | in[2 * x + 1] << 8)];
      } else {
        for (std::size_t x = 0; x < width; ++x) out[x] = lookup[in[x]];
      }
    }
    return;
  }
  // 24- and 32-bit rows: many pixels at a time where the processor allows.
  MapRowSource row;
  row.width = width;
  row.bytesPerPixel = source.pixels.bits / 8;
  row.redFirst = source.pixels.redFirst;
  for (std::size_t y = 0; y < source.Height(); ++y) {
    row.pixels = source.Row(y);
    MapRow(row, inverse, target.pixels + y * target.stride);
  }
}

// Nearest non-reserved entry by the octree rule, remembering the last answer: runs of one
// colour are common in pictures.
class OctreeChooser {
 public:
  bool Build(std::span<const PaletteEntry> entries) {
    tree_.reset(new (std::nothrow) ColorOctree);
    if (!tree_) return false;
    const std::size_t count = std::min<std::size_t>(entries.size(), 256);
    for (std::size_t i = 0; i < count; ++i) {
      if (entries[i].flags == PC_RESERVED) continue;
      tree_->Add(entries[i].red, entries[i].green, entries[i].blue, static_cast<DWORD>(i));
    }
    return tree_->LeafCount() > 0;
  }

  BYTE operator()(BYTE red, BYTE green, BYTE blue) {
    const DWORD colour = DWORD{red} << 16 | DWORD{green} << 8 | blue;
    if (colour != lastColour_) {
      const ColorOctree::Node* leaf = tree_->FindNearest(red, green, blue);
      lastIndex_ = leaf ? static_cast<BYTE>(leaf->value) : 0;
      lastColour_ = colour;
    }
    return lastIndex_;
  }

 private:
  std::unique_ptr<ColorOctree> tree_;
  DWORD lastColour_ = 0xFFFFFFFF;
  BYTE lastIndex_ = 0;
};

void ConvertDirect(const Source& source, const PixelLayout& targetLayout, Target& target) {
  const RowReader reader(source.pixels, source.table);
  const Fields16 fields = FieldsOf(targetLayout);
  for (std::size_t y = 0; y < source.Height(); ++y) {
    const BYTE* in = source.Row(y);
    BYTE* out = target.pixels + y * target.stride;
    for (std::size_t x = 0; x < source.Width(); ++x) WritePixel(out, x, reader.At(in, x), targetLayout, fields);
  }
}

template <typename Choose>
void ConvertToIndexed(const Source& source, std::span<const PaletteEntry> colours, bool diffuse, Choose choose,
                      Target& target) {
  const RowReader reader(source.pixels, source.table);
  if (diffuse) {
    ErrorDiffuser diffuser(source.Width());
    for (std::size_t y = 0; y < source.Height(); ++y) {
      diffuser.Row(reader, source.Row(y), target.pixels + y * target.stride, colours, choose);
    }
    return;
  }
  for (std::size_t y = 0; y < source.Height(); ++y) {
    const BYTE* in = source.Row(y);
    BYTE* out = target.pixels + y * target.stride;
    for (std::size_t x = 0; x < source.Width(); ++x) {
      const Rgb c = reader.At(in, x);
      out[x] = choose(c.red, c.green, c.blue);
    }
  }
}

}  // namespace

bool IsConvertibleFormat(DWORD formatCode) {
  PixelLayout layout;
  return Describe(formatCode, layout);
}

int ConvertPackedDib(ByteView sourceDib, DWORD targetFormat, Palette* palette, DWORD flags, GlobalBlock& out) {
  return ConvertPackedDib(sourceDib, FormatCodeFromHeader(sourceDib), targetFormat, palette, flags, out);
}

int ConvertPackedDib(ByteView sourceDib, DWORD sourceFormat, DWORD targetFormat, Palette* palette, DWORD flags,
                     GlobalBlock& out) {
  out.Reset();
  Source source;
  source.dib = sourceDib;
  if (!ReadPackedDib(sourceDib, source.layout)) return kGfxFailed;
  const DWORD compression = source.layout.header.compression;
  if (compression != BI_RGB && compression != BI_BITFIELDS) return kGfxFailed;
  if (!Describe(sourceFormat, source.pixels) || source.pixels.bits != source.layout.header.bitCount) return kGfxFailed;
  if (source.pixels.indexed) source.table = ReadColourTable(sourceDib, source.layout);

  PixelLayout targetLayout;
  if (!Describe(targetFormat, targetLayout)) return kGfxFailed;
  if (targetLayout.indexed && (!palette || !palette->HasEntries())) return kGfxFailed;

  Target target;
  if (!AllocateTarget(source.layout.header.width, source.layout.header.height, targetFormat, targetLayout, target)) {
    return kGfxFailed;
  }
  const bool diffuse = (flags & kConvertDiffuseError) != 0;
  if (targetLayout.indexed) {
    const std::span<const PaletteEntry> colours = palette->Entries();
    WriteColourTable(target, colours);
    if (flags & kConvertMapToPalette) {
      const BYTE* inverse = palette->InverseTable();
      if (!inverse) return kGfxFailed;
      if (diffuse) {
        ConvertToIndexed(source, colours, true,
                         [inverse](BYTE r, BYTE g, BYTE b) { return inverse[InverseTableIndex(r, g, b)]; }, target);
      } else {
        MapOntoPalette(source, inverse, target);
      }
    } else {
      OctreeChooser chooser;
      if (!chooser.Build(colours)) return kGfxFailed;
      ConvertToIndexed(source, colours, diffuse, std::ref(chooser), target);
    }
  } else {
    ConvertDirect(source, targetLayout, target);
  }
  out = std::move(target.block);
  return kGfxOk;
}

}  // namespace ossen
