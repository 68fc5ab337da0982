#include "book/slot_field.h"

#include <QFocusEvent>

namespace ossen {

SlotField::SlotField(QWidget* parent, const QFont& font, bool readOnly) : QLineEdit(parent) {
  setFrame(false);
  setTextMargins(0, 0, 0, 0);
  setContentsMargins(0, 0, 0, 0);
  setFont(font);
  setReadOnly(readOnly);
  setFocusPolicy(Qt::ClickFocus);
  QPalette colours = palette();
  colours.setColor(QPalette::Base, QColor(255, 255, 0));
  colours.setColor(QPalette::Window, QColor(255, 255, 0));
  colours.setColor(QPalette::Text, Qt::black);
  setPalette(colours);
  setAutoFillBackground(true);
}

void SlotField::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (event->reason() != Qt::PopupFocusReason && focusLeft_) focusLeft_();
}

}  // namespace ossen
