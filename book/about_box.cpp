#include "book/about_box.h"

#include <QKeyEvent>
#include <QPainter>

#include "book/surface_image.h"
#include "gfx/dib_image.h"

namespace ossen {

QImage LoadAboutPicture() {
  SurfaceRef<DibImage> image = DibImage::New();
  if (!image) return {};
  // Copied out of the module, so nothing stays open after the box has its picture.
  if (image->Load("ABOUTBOX", kLoadFromResource | kLoadCopyBytes, nullptr, RT_BITMAP, nullptr, nullptr) != 0) {
    return {};
  }
  return ImageFromSurface(image.get());
}

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint), picture_(LoadAboutPicture()) {
  setModal(true);
  if (!picture_.isNull()) setFixedSize(picture_.size());
}

void AboutBox::paintEvent(QPaintEvent* /*event*/) {
  if (picture_.isNull()) return;
  QPainter painter(this);
  painter.drawImage(0, 0, picture_);
}

void AboutBox::keyPressEvent(QKeyEvent* event) {
  // The box has no buttons, so no default button takes Enter: it closes the box itself.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace ossen
