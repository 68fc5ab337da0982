// The intro: a borderless picture ("INTRO", with its own colours) shown centred while the
// book window initialises, closed by its own one-second timer at the first timer message
// after the initialisation. Shown once per process.
#pragma once
#include <QBasicTimer>
#include <QImage>
#include <QPointer>
#include <QWidget>

namespace ossen {

class IntroWindow : public QWidget {
 public:
  // The one live intro, null when there is none.
  static IntroWindow* Live();

  ~IntroWindow() override;

  // Makes the window over `owner` (centred on it when it is shown and not minimized,
  // else in the screen's work area) and starts its timer. False without the picture.
  bool Create(QWidget* owner);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  friend void ShowIntro(QWidget* owner);
  IntroWindow();

  QImage introBitmap_;
  QPointer<QWidget> owner_;
  QBasicTimer timer_;
};

// The intro is shown only while this is set.
void SetIntroEnabled(int flag);
// Shows the intro when it is enabled and none is live, and paints it at once.
void ShowIntro(QWidget* owner);

}  // namespace ossen
