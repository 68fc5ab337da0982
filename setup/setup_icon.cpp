#include "setup/setup_icon.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include "platform/win32/module.h"
#include "res/program/program_resources.h"

namespace ossen::setup {

std::vector<std::uint8_t> ProgramIconPng() {
  const HRSRC found = FindResource(nullptr, kIconApp, RT_GROUP_ICON);
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  const DWORD size = SizeofResource(nullptr, found);
  if (bytes == nullptr || size == 0 || size > 0x7FFFFFFF) return {};
  QByteArray data = QByteArray::fromRawData(bytes, static_cast<qsizetype>(size));
  QBuffer buffer(&data);
  QImageReader reader(&buffer, "ICO");
  QImage largest;
  // An .ICO holds one image per size; the menu wants the largest.
  for (int i = 0; i < reader.imageCount(); ++i) {
    reader.jumpToImage(i);
    QImage image = reader.read();
    if (image.width() > largest.width()) largest = image;
  }
  if (largest.isNull()) return {};
  QByteArray png;
  QBuffer out(&png);
  out.open(QIODevice::WriteOnly);
  if (!largest.save(&out, "PNG")) return {};
  return std::vector<std::uint8_t>(png.begin(), png.end());
}

}  // namespace ossen::setup
