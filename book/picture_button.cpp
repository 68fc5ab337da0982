#include "book/picture_button.h"

#include <QPainter>

#include "book/bitmap_resource.h"

namespace ossen {
namespace {

// Shown as they are many times: converted once to the display's own format.
QImage LoadButtonImage(const char* name) {
  const QImage indexed = LoadBitmapResource(name);
  return indexed.isNull() ? QImage() : indexed.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

PictureButton::PictureButton(QWidget* parent) : QAbstractButton(parent) {
  static const QCursor hand = LoadHandCursor();
  setCursor(hand);
  // Buttons take the focus when clicked (so a field being edited commits first), but no
  // control of the book is reached with Tab.
  setFocusPolicy(Qt::ClickFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

int PictureButton::LoadBitmaps(const char* up, const char* down, const char* focus, const char* disabled) {
  upBitmap_ = downBitmap_ = focusBitmap_ = disabledBitmap_ = QImage();
  upBitmap_ = LoadButtonImage(up);
  if (upBitmap_.isNull()) return kBitmapsMissing;
  int result = kBitmapsLoaded;
  const auto load = [&result](const char* name, QImage& into) {
    if (name == nullptr) return;
    into = LoadButtonImage(name);
    if (into.isNull()) result = kBitmapsMissing;
  };
  load(down, downBitmap_);
  load(focus, focusBitmap_);
  load(disabled, disabledBitmap_);
  return result;
}

const QImage& PictureButton::ShownImage() const {
  if (isDown() && !downBitmap_.isNull()) return downBitmap_;
  if (hasFocus() && !focusBitmap_.isNull()) return focusBitmap_;
  if (!isEnabled() && !disabledBitmap_.isNull()) return disabledBitmap_;
  return upBitmap_;
}

void PictureButton::paintEvent(QPaintEvent* /*event*/) {
  const QImage& image = ShownImage();
  if (image.isNull()) return;
  QPainter painter(this);
  painter.drawImage(QRect(0, 0, width(), height()), image, QRect(0, 0, width(), height()));
}

}  // namespace ossen
