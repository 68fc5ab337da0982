// The About box: no caption, a modal frame around the "ABOUTBOX" bitmap shown with its own
// colours, the box exactly the bitmap's size. Enter and Escape close it.
#pragma once
#include <QDialog>
#include <QImage>

namespace ossen {

class AboutBox : public QDialog {
 public:
  explicit AboutBox(QWidget* parent = nullptr);

  // The bitmap as shown; null when the resource is missing or not a paletted bitmap.
  const QImage& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QImage picture_;
};

// "ABOUTBOX" (a packed DIB, type RT_BITMAP) of the program's own module as an image.
QImage LoadAboutPicture();

}  // namespace ossen
