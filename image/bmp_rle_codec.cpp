#include "image/bmp_rle_codec.h"

#include <cstring>

#include "image/packed_dib.h"

namespace ossen {

namespace {

std::string At(DWORD x, DWORD y) { return " at row " + std::to_string(y) + ", column " + std::to_string(x); }

// Writes pixels into the decoded rows. Callers check every position before writing.
class RowWriter {
 public:
  RowWriter(std::uint8_t* rows, DWORD stride, bool fourBit) : rows_(rows), stride_(stride), fourBit_(fourBit) {}

  void Put(DWORD x, DWORD y, std::uint8_t index) {
    std::uint8_t* row = rows_ + static_cast<std::size_t>(y) * stride_;
    if (!fourBit_) {
      row[x] = index;
    } else if (x % 2 == 0) {
      row[x / 2] = static_cast<std::uint8_t>((row[x / 2] & 0x0F) | (index << 4));
    } else {
      row[x / 2] = static_cast<std::uint8_t>((row[x / 2] & 0xF0) | (index & 0x0F));
    }
  }

 private:
  std::uint8_t* rows_;
  DWORD stride_;
  bool fourBit_;
};

class StreamDecoder {
 public:
  StreamDecoder(ByteView stream, RowWriter writer, DWORD width, DWORD stride, DWORD height, bool fourBit)
      : stream_(stream), writer_(writer), width_(width), paddedWidth_(fourBit ? stride * 2 : stride),
        height_(height), fourBit_(fourBit), name_(fourBit ? "BI_RLE4" : "BI_RLE8") {}

  bool Run(std::string& reason) {
    for (;;) {
      if (left() < 2) return Fail(reason, " data ends before its end-of-bitmap mark" + At(x_, y_));
      const std::uint8_t first = stream_[at_++];
      const std::uint8_t second = stream_[at_++];
      if (first > 0) {
        if (!PutRun(first, second, reason)) return false;
      } else if (second == 0) {  // end of line
        if (y_ >= height_) return Fail(reason, " end-of-line mark after the last row");
        x_ = 0;
        ++y_;
      } else if (second == 1) {  // end of bitmap
        return true;
      } else if (second == 2) {
        if (!Move(reason)) return false;
      } else if (!PutLiteral(second, reason)) {
        return false;
      }
    }
  }

 private:
  std::size_t left() const { return stream_.size() - at_; }

  bool Fail(std::string& reason, const std::string& what) {
    reason = name_ + what;
    return false;
  }

  // Room for `count` pixels from the current position in the current row. Encoders such as
  // ImageMagick's encode whole stored rows, padding included: pixels that fall into the
  // padding are accepted and dropped, pixels beyond it refused.
  bool Fits(DWORD count, const char* what, std::string& reason) {
    if (y_ >= height_) return Fail(reason, std::string(" ") + what + " after the last row");
    if (count > paddedWidth_ - x_) {
      return Fail(reason, std::string(" ") + what + " of " + std::to_string(count) + " pixels" + At(x_, y_) +
                              " runs past the row's end (width " + std::to_string(width_) + ", " +
                              std::to_string(paddedWidth_) + " with padding)");
    }
    return true;
  }

  void Put(std::uint8_t index) {
    if (x_ < width_) writer_.Put(x_, y_, index);
    ++x_;
  }

  bool PutRun(DWORD count, std::uint8_t value, std::string& reason) {
    if (!Fits(count, "run", reason)) return false;
    for (DWORD i = 0; i < count; ++i) {
      Put(!fourBit_ ? value : (i % 2 == 0 ? value >> 4 : value & 0x0F));
    }
    return true;
  }

  bool PutLiteral(DWORD count, std::string& reason) {
    if (!Fits(count, "literal", reason)) return false;
    const std::size_t bytes = fourBit_ ? (count + 1) / 2 : count;
    const std::size_t padded = bytes + bytes % 2;  // literals end on a 16-bit boundary
    if (left() < padded) {
      return Fail(reason, " literal of " + std::to_string(count) + " pixels" + At(x_, y_) + " needs " +
                              std::to_string(padded) + " bytes, " + std::to_string(left()) + " left");
    }
    for (DWORD i = 0; i < count; ++i) {
      const std::uint8_t byte = stream_[at_ + (fourBit_ ? i / 2 : i)];
      Put(!fourBit_ ? byte : (i % 2 == 0 ? byte >> 4 : byte & 0x0F));
    }
    at_ += padded;
    return true;
  }

  bool Move(std::string& reason) {
    if (left() < 2) return Fail(reason, " data ends inside a delta" + At(x_, y_));
    const DWORD right = stream_[at_++];
    const DWORD up = stream_[at_++];
    if (y_ >= height_ || right > paddedWidth_ - x_ || up >= height_ - y_) {
      return Fail(reason, " delta of " + std::to_string(right) + " right, " + std::to_string(up) + " up" +
                              At(x_, y_) + " leaves the " + std::to_string(width_) + " x " +
                              std::to_string(height_) + " bitmap");
    }
    x_ += right;
    y_ += up;
    return true;
  }

  ByteView stream_;
  std::size_t at_ = 0;
  RowWriter writer_;
  DWORD width_;
  DWORD paddedWidth_;  // pixels in a stored row, padding included
  DWORD height_;
  bool fourBit_;
  std::string name_;
  DWORD x_ = 0;
  DWORD y_ = 0;  // counted from the bottom row, as the rows are stored
};

}  // namespace

GlobalBlock BmpRleDecode(ByteView dib, std::string& reason) {
  BitmapInfoHeader header{};
  if (!ReadInfoHeader(dib, header) || header.size != kInfoHeaderBytes) {
    reason = "not a bitmap (no 40-byte information header)";
    return {};
  }
  if (!IsBmpRleCompression(header.compression)) {
    reason = "not run-length compressed";
    return {};
  }
  const bool fourBit = header.compression == BI_RLE4;
  const WORD bits = fourBit ? 4 : 8;
  if (header.bitCount != bits) {
    reason = std::string(fourBit ? "BI_RLE4" : "BI_RLE8") + " needs " + std::to_string(bits) +
             " bits per pixel, the header says " + std::to_string(header.bitCount);
    return {};
  }
  PackedDibLayout layout{};
  if (!ReadPackedDib(dib, layout)) {
    const DWORD headerSize = PackedDibHeaderSize(dib);
    if (headerSize == 0) {
      reason = "bitmap header out of range (size, colours or dimensions)";
    } else if (dib.size() < headerSize) {
      reason = "truncated inside the colour table";
    } else {
      reason = "truncated: the header announces " + std::to_string(header.imageSize) + " bytes of pixel data, " +
               std::to_string(dib.size() - headerSize) + " are there";
    }
    return {};
  }
  const ByteView afterTable = dib.subspan(layout.headerSize);
  const ByteView stream = layout.imageSize ? afterTable.first(layout.imageSize) : afterTable;

  const std::size_t rowsBytes = std::size_t{layout.stride} * static_cast<DWORD>(header.height);
  GlobalBlock out = GlobalBlock::Allocate(layout.headerSize + rowsBytes, true);
  if (!out) {
    reason = "not enough memory for the decoded rows";
    return {};
  }
  std::memcpy(out.data(), dib.data(), layout.headerSize);
  SetCompressionFields(out.data(), BI_RGB, 0);
  StreamDecoder decoder(stream, RowWriter(out.data() + layout.headerSize, layout.stride, fourBit),
                        static_cast<DWORD>(header.width), layout.stride, static_cast<DWORD>(header.height), fourBit);
  if (!decoder.Run(reason)) return {};
  return out;
}

}  // namespace ossen
