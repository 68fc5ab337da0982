// One of the three fields laid over the current row: name (read-only), date and time. No
// frame, the yellow ground of the book's controls, the small font; leaving a field tells
// its owner, which commits what was typed.
#pragma once
#include <functional>

#include <QLineEdit>

namespace ossen {

class SlotField : public QLineEdit {
 public:
  SlotField(QWidget* parent, const QFont& font, bool readOnly);

  // Called when the field loses the keyboard focus (not for its own context menu).
  void OnFocusLeft(std::function<void()> handler) { focusLeft_ = std::move(handler); }

 protected:
  void focusOutEvent(QFocusEvent* event) override;

 private:
  std::function<void()> focusLeft_;
};

}  // namespace ossen
