// An option check box of the book: a 12 x 16 box without text on the yellow ground that
// every control of the window has. A click toggles it and then reports the click.
#pragma once
#include <QAbstractButton>

namespace ossen {

class OptionBox : public QAbstractButton {
 public:
  explicit OptionBox(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace ossen
