#include "book/app_icon.h"

#include <QPainter>
#include <QPixmap>

#include "platform/win32/module.h"
#include "res/program/program_resources.h"

namespace ossen {
namespace {

QIcon GeneratedIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(QColor(255, 255, 0));
  QPainter painter(&pixmap);
  painter.fillRect(4, 4, 24, 24, QColor(128, 0, 0));
  return QIcon(pixmap);
}

}  // namespace

QIcon LoadAppIcon() {
  const HRSRC found = FindResource(nullptr, kIconApp, RT_GROUP_ICON);
  const auto* bytes = static_cast<const uchar*>(LockResource(LoadResource(nullptr, found)));
  const DWORD size = SizeofResource(nullptr, found);
  QPixmap pixmap;
  if (bytes != nullptr && size > 0 && size <= 0x7FFFFFFF &&
      pixmap.loadFromData(bytes, static_cast<uint>(size), "ICO")) {
    return QIcon(pixmap);
  }
  return GeneratedIcon();
}

}  // namespace ossen
