// A bitmap button of the book: nothing but its image, another image while it is held
// down, and the hand cursor over it. No frame, focus mark or text is ever drawn.
#pragma once
#include <QAbstractButton>
#include <QImage>

namespace ossen {

// What LoadBitmaps answers: 1 when every image asked for loaded.
inline constexpr int kBitmapsLoaded = 1;
inline constexpr int kBitmapsMissing = 0;

class PictureButton : public QAbstractButton {
 public:
  explicit PictureButton(QWidget* parent);

  // Loads the named bitmaps of the program's module (null: no image of that kind), after
  // dropping any held. The up image is required: without it kBitmapsMissing at once. A named
  // image that fails makes the result kBitmapsMissing and loading goes on.
  int LoadBitmaps(const char* up, const char* down, const char* focus, const char* disabled);

  // The image the button shows now (null: it draws nothing).
  const QImage& ShownImage() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage upBitmap_;
  QImage downBitmap_;
  QImage focusBitmap_;
  QImage disabledBitmap_;
};

}  // namespace ossen
