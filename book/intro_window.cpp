#include "book/intro_window.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

#include "book/bitmap_resource.h"
#include "platform/base/trace.h"
#include "res/program/program_resources.h"

namespace ossen {
namespace {

constexpr int kIntroTimerMs = 1000;

int introEnabled = 0;
IntroWindow* introWindow = nullptr;

}  // namespace

IntroWindow* IntroWindow::Live() { return introWindow; }

void SetIntroEnabled(int flag) { introEnabled = flag; }

void ShowIntro(QWidget* owner) {
  if (!introEnabled || introWindow != nullptr) return;
  auto* intro = new IntroWindow();
  introWindow = intro;
  if (!intro->Create(owner)) {
    delete intro;
    return;
  }
  // Paint at once: the initialisation that follows keeps the event loop busy. Only the
  // window system's own events run here, no input and no commands.
  intro->repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
}

IntroWindow::IntroWindow()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setWindowTitle(QStringLiteral("ossen intro"));
}

IntroWindow::~IntroWindow() {
  if (introWindow == this) introWindow = nullptr;
}

bool IntroWindow::Create(QWidget* owner) {
  // Kept indexed: the one paint converts it on the way to the screen.
  introBitmap_ = LoadBitmapResource(kIntroResource);
  if (introBitmap_.isNull()) return false;
  owner_ = owner;
  setFixedSize(introBitmap_.size());

  QRect area;
  if (owner != nullptr && owner->isVisible() && !owner->isMinimized()) {
    area = owner->frameGeometry();
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
  show();
  timer_.start(kIntroTimerMs, this);
  Trace("intro shown");
  return true;
}

void IntroWindow::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.drawImage(0, 0, introBitmap_);
}

void IntroWindow::timerEvent(QTimerEvent* event) {
  if (event->timerId() != timer_.timerId()) {
    QWidget::timerEvent(event);
    return;
  }
  timer_.stop();
  QPointer<QWidget> owner = owner_;
  Trace("intro closed");
  close();  // deletes the window
  if (owner != nullptr) owner->update();
}

}  // namespace ossen
