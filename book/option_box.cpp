#include "book/option_box.h"

#include <QPainter>

namespace ossen {

OptionBox::OptionBox(QWidget* parent) : QAbstractButton(parent) {
  setCheckable(true);
  setFocusPolicy(Qt::ClickFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void OptionBox::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(255, 255, 0));
  // A sunken square as wide as the control, centred in its height.
  const int side = std::min(width(), height());
  const int top = (height() - side) / 2;
  const QRect box(0, top, side, side);
  painter.fillRect(box, Qt::white);
  painter.setPen(QColor(128, 128, 128));
  painter.drawLine(box.topLeft(), box.topRight());
  painter.drawLine(box.topLeft(), box.bottomLeft());
  painter.setPen(Qt::black);
  painter.drawLine(box.left() + 1, box.top() + 1, box.right() - 1, box.top() + 1);
  painter.drawLine(box.left() + 1, box.top() + 1, box.left() + 1, box.bottom() - 1);
  if (!isChecked()) return;
  // The tick: a short stroke down and a long one up, three pixels thick.
  const int x = box.left() + 3;
  const int y = box.top() + 5;
  for (int thick = 0; thick < 3; ++thick) {
    painter.drawLine(x, y + thick, x + 2, y + 2 + thick);
    painter.drawLine(x + 2, y + 2 + thick, x + 6, y - 2 + thick);
  }
}

}  // namespace ossen
