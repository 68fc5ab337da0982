#include "book/bitmap_resource.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPixmap>

#include "book/surface_image.h"
#include "gfx/dib_image.h"
#include "res/program/program_resources.h"

namespace ossen {

QImage LoadBitmapResource(const char* name) {
  SurfaceRef<DibImage> image = DibImage::New();
  if (!image) return {};
  // Copied out of the module, so nothing stays open once the image is made.
  if (image->Load(name, kLoadFromResource | kLoadCopyBytes, nullptr,
                  RT_BITMAP, nullptr, nullptr) != 0) {
    return {};
  }
  return ImageFromSurface(image.get());
}

QCursor LoadHandCursor() {
  const HRSRC found = FindResource(nullptr, kCursorHand, RT_GROUP_CURSOR);
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  const DWORD size = SizeofResource(nullptr, found);
  // A .CUR file: a 6-byte header, then 16-byte entries whose bytes 4..7 hold the hot spot.
  if (bytes == nullptr || size < 22 || size > 0x7FFFFFFF) return QCursor(Qt::ArrowCursor);
  QByteArray data(bytes, static_cast<qsizetype>(size));
  QBuffer buffer(&data);
  QImageReader reader(&buffer, "cur");
  const QImage image = reader.read();
  if (image.isNull()) return QCursor(Qt::ArrowCursor);
  const auto word = [&](int at) {
    return static_cast<int>(static_cast<unsigned char>(data[at])) |
           static_cast<int>(static_cast<unsigned char>(data[at + 1])) << 8;
  };
  return QCursor(QPixmap::fromImage(image), word(10), word(12));
}

}  // namespace ossen
