#include "res/program/art/stored_formats.h"

#include "image/global_block.h"
#include "image/pkc_codec.h"

namespace ossen::art {
namespace {

void Put16(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(Bytes& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutInfoHeader(Bytes& out, int width, int height, int bitCount, std::uint32_t imageSize) {
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(bitCount));
  Put32(out, 0);  // BI_RGB
  Put32(out, imageSize);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
}

std::size_t Stride(int width, int bitCount) { return ((static_cast<std::size_t>(width) * bitCount + 31) / 32) * 4; }

// The bits of a 1-bit row mask, padded to 4 bytes; `set` says which pixels get a 1.
template <typename Predicate>
void PutMaskRows(Bytes& out, int width, int height, Predicate set) {
  const std::size_t stride = Stride(width, 1);
  for (int y = height - 1; y >= 0; --y) {
    Bytes row(stride, 0);
    for (int x = 0; x < width; ++x) {
      if (set(x, y)) row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
}

// Both resource files start the same way: reserved 0, type, count.
void PutDirectoryHeader(Bytes& out, unsigned type, std::size_t count) {
  Put16(out, 0);
  Put16(out, type);
  Put16(out, static_cast<unsigned>(count));
}

}  // namespace

Bytes PackedDib8(const IndexedPicture& picture) {
  const std::size_t stride = Stride(picture.width, 8);
  Bytes out;
  PutInfoHeader(out, picture.width, picture.height, 8, static_cast<std::uint32_t>(stride * picture.height));
  for (const Rgb& entry : picture.table.entries) {
    out.push_back(entry.blue);
    out.push_back(entry.green);
    out.push_back(entry.red);
    out.push_back(0);
  }
  for (int y = picture.height - 1; y >= 0; --y) {
    const auto* row = picture.indices.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width);
    out.insert(out.end(), row, row + picture.width);
    out.resize(out.size() + stride - static_cast<std::size_t>(picture.width), 0);
  }
  return out;
}

Bytes StoredPageImage(const IndexedPicture& picture) {
  const Bytes dib = PackedDib8(picture);
  GlobalBlock packed = PkcCompress(ByteView(dib.data(), dib.size()));
  if (!packed) return {};
  // The size field holds the same four bytes in every page image, not the file size.
  Bytes out = {'B', 'M', 0x45, 0x00, 0x94, 0x0C};
  Put16(out, 159);
  Put16(out, 0);
  Put32(out, 1078);
  out.insert(out.end(), packed.data(), packed.data() + packed.size());
  return out;
}

Bytes MonochromeCursorFile(const QImage& hand, int hotX, int hotY) {
  const QImage image = hand.convertToFormat(QImage::Format_ARGB32);
  constexpr int kSize = 32;
  auto transparent = [&](int x, int y) { return qAlpha(image.pixel(x, y)) < 128; };
  auto white = [&](int x, int y) { return !transparent(x, y) && qGray(image.pixel(x, y)) >= 128; };

  Bytes bitmap;
  const std::size_t maskBytes = Stride(kSize, 1) * kSize;
  PutInfoHeader(bitmap, kSize, kSize * 2, 1, static_cast<std::uint32_t>(maskBytes * 2));
  Put32(bitmap, 0x00000000);  // entry 0 black
  Put32(bitmap, 0x00FFFFFF);  // entry 1 white
  PutMaskRows(bitmap, kSize, kSize, white);        // XOR: 1 = white where drawn
  PutMaskRows(bitmap, kSize, kSize, transparent);  // AND: 1 = the screen shows through

  Bytes out;
  PutDirectoryHeader(out, 2, 1);
  out.push_back(kSize);
  out.push_back(kSize);
  out.push_back(2);  // colours
  out.push_back(0);
  Put16(out, static_cast<unsigned>(hotX));
  Put16(out, static_cast<unsigned>(hotY));
  Put32(out, static_cast<std::uint32_t>(bitmap.size()));
  Put32(out, 6 + 16);
  out.insert(out.end(), bitmap.begin(), bitmap.end());
  return out;
}

Bytes IconFile(const std::vector<QImage>& images) {
  std::vector<Bytes> bitmaps;
  for (const QImage& source : images) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int size = image.width();
    Bytes bitmap;
    const std::size_t pixelBytes = static_cast<std::size_t>(size) * size * 4;
    PutInfoHeader(bitmap, size, size * 2, 32, static_cast<std::uint32_t>(pixelBytes + Stride(size, 1) * size));
    for (int y = size - 1; y >= 0; --y) {
      for (int x = 0; x < size; ++x) {
        const QRgb pixel = image.pixel(x, y);
        bitmap.push_back(static_cast<std::uint8_t>(qBlue(pixel)));
        bitmap.push_back(static_cast<std::uint8_t>(qGreen(pixel)));
        bitmap.push_back(static_cast<std::uint8_t>(qRed(pixel)));
        bitmap.push_back(static_cast<std::uint8_t>(qAlpha(pixel)));
      }
    }
    PutMaskRows(bitmap, size, size, [&](int x, int y) { return qAlpha(image.pixel(x, y)) < 128; });
    bitmaps.push_back(std::move(bitmap));
  }

  Bytes out;
  PutDirectoryHeader(out, 1, images.size());
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const int size = images[i].width();
    out.push_back(static_cast<std::uint8_t>(size >= 256 ? 0 : size));
    out.push_back(static_cast<std::uint8_t>(size >= 256 ? 0 : size));
    out.push_back(0);  // no palette
    out.push_back(0);
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, static_cast<std::uint32_t>(bitmaps[i].size()));
    Put32(out, offset);
    offset += static_cast<std::uint32_t>(bitmaps[i].size());
  }
  for (const Bytes& bitmap : bitmaps) out.insert(out.end(), bitmap.begin(), bitmap.end());
  return out;
}

}  // namespace ossen::art
