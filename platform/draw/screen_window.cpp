#include "platform/draw/screen_window.h"

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>  // program_invocation_short_name
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace ossen {

namespace {

// How often a window drawn inside another program's window looks whether that one is gone.
constexpr int kHostWatchMs = 250;

// A variable that is set and not empty.
const char* Named(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

// Whether Qt will speak X11: xcb is named, or nothing is named and no Wayland session is
// announced (Qt's own choice then).
bool SpeaksX11() {
  if (const char* platform = Named("QT_QPA_PLATFORM")) return std::string_view(platform).starts_with("xcb");
  const char* session = Named("XDG_SESSION_TYPE");
  return Named("WAYLAND_DISPLAY") == nullptr && (session == nullptr || std::string_view(session) != "wayland");
}

// While Qt opens the display: a fatal message (the display could not be opened after all)
// ends the process with status 1 instead of Qt's abort.
QtMessageHandler g_messagesBefore = nullptr;
void EndOnFatalMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg) {
    if (g_messagesBefore != nullptr) g_messagesBefore(type, context, message);
    return;
  }
  std::fprintf(stderr, "%s\n%s: no display could be opened\n", message.toLocal8Bit().constData(),
               program_invocation_short_name);
  std::_Exit(1);
}

QScreen* ScreenAt(int screen) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  if (screens.isEmpty()) return nullptr;
  return screen >= 0 && screen < screens.size() ? screens[screen] : screens.front();
}

// The size of another program's window, asked of the X server; empty when there is no such
// window (or no X server: other desktops do not lend their windows this way).
QSize ForeignWindowSize(std::uint64_t nativeId) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->connection() || nativeId > 0xFFFFFFFFu) return {};
  xcb_connection_t* connection = x11->connection();
  const xcb_get_geometry_cookie_t asked = xcb_get_geometry(connection, static_cast<xcb_drawable_t>(nativeId));
  // The error of a window that is gone is taken here, not left for Qt to report.
  xcb_generic_error_t* error = nullptr;
  xcb_get_geometry_reply_t* reply = xcb_get_geometry_reply(connection, asked, &error);
  std::free(error);
  if (!reply) return {};
  const QSize size(reply->width, reply->height);
  std::free(reply);
  return size;
}

// The callbacks a Qt window needs from its owner.
class WindowOwner {
 public:
  virtual ~WindowOwner() = default;
  virtual void OnPaint(QPainter& painter) = 0;
  virtual void OnResize(int width, int height) = 0;
  virtual void OnExpose() = 0;
  virtual void OnInput(InputEvent::Kind kind, QPointF screenPosition) = 0;
};

class PixelWindow final : public QRasterWindow {
 public:
  explicit PixelWindow(WindowOwner* owner) : owner_(owner) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    owner_->OnPaint(painter);
  }
  void resizeEvent(QResizeEvent* event) override {
    owner_->OnResize(event->size().width(), event->size().height());
  }
  void exposeEvent(QExposeEvent* event) override {
    owner_->OnExpose();
    QRasterWindow::exposeEvent(event);
  }
  void keyPressEvent(QKeyEvent*) override {
    owner_->OnInput(InputEvent::kKey, QCursor::pos(screen()));
  }
  void mousePressEvent(QMouseEvent* event) override {
    owner_->OnInput(InputEvent::kButton, event->globalPosition());
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    owner_->OnInput(InputEvent::kMotion, event->globalPosition());
  }

 private:
  WindowOwner* owner_;
};

class QtScreenWindow final : public ScreenWindow, public WindowOwner {
 public:
  QtScreenWindow() : window_(std::make_unique<PixelWindow>(this)) {}
  ~QtScreenWindow() override {
    hostWatch_.reset();
    window_.reset();  // before the pixels it paints from
  }

  bool Place(int width, int height, int screen, const char* title) {
    if (QScreen* on = ScreenAt(screen)) {
      window_->setScreen(on);
      const QRect area = on->availableGeometry();
      window_->setPosition(area.topLeft() + QPoint(32, 32));
    }
    window_->resize(Logical(width), Logical(height));
    window_->setTitle(QString::fromLatin1(title ? title : ""));
    Reallocate(width, height);
    return true;
  }

  bool PlaceInside(std::uint64_t nativeId) {
    const QSize area = ForeignWindowSize(nativeId);
    if (area.isEmpty()) return false;
    foreign_ = QWindow::fromWinId(static_cast<WId>(nativeId));
    if (!foreign_) return false;
    window_->setParent(foreign_);
    // The X server measures the other window in device pixels.
    window_->setGeometry(0, 0, Logical(area.width()), Logical(area.height()));
    Reallocate(area.width(), area.height());
    // X tells a program nothing when another one's window goes: it is asked after.
    hostWatch_ = std::make_unique<QTimer>();
    QObject::connect(hostWatch_.get(), &QTimer::timeout, [this, nativeId] {
      if (!ForeignWindowSize(nativeId).isEmpty()) return;
      hostWatch_->stop();
      if (goneHandler_) goneHandler_();
    });
    hostWatch_->start(kHostWatchMs);
    return true;
  }

  // Sizes in device pixels: at a scale factor Qt's logical sizes times the window's device
  // pixel ratio, so that the client pixels reach the screen one for one.
  int ClientWidth() const override { return Device(window_->width()); }
  int ClientHeight() const override { return Device(window_->height()); }
  int BitsPerPixel() const override {
    const QScreen* on = window_->screen();
    return on ? on->depth() : 0;
  }
  int ScreenWidth() const override {
    const QScreen* on = window_->screen();
    return on ? qRound(on->geometry().width() * on->devicePixelRatio()) : 0;
  }
  int ScreenHeight() const override {
    const QScreen* on = window_->screen();
    return on ? qRound(on->geometry().height() * on->devicePixelRatio()) : 0;
  }

  DeviceContext* GetDC() override {
    if (pixels_.isNull()) return nullptr;
    if (dcCount_++ == 0) SelectPixels();
    return &dc_;
  }
  void ReleaseDC(DeviceContext* dc) override {
    if (dc != &dc_ || dcCount_ == 0) return;
    if (--dcCount_ == 0 && !painting_) window_->update();
  }
  DeviceContext* BeginPaint() override { return GetDC(); }
  void EndPaint(DeviceContext* dc) override {
    needsPaint_ = false;
    ReleaseDC(dc);
  }
  void Validate() override { needsPaint_ = false; }
  void Invalidate() override {
    needsPaint_ = true;
    window_->update();
  }
  bool NeedsPaint() const override { return needsPaint_; }

  void Show() override { window_->show(); }
  void Hide() override { window_->hide(); }
  bool IsVisible() const override { return window_->isVisible(); }

  bool CoverScreen() override {
    const QScreen* on = window_->screen();
    if (!on || foreign_) return false;
    if (!covering_) {
      savedGeometry_ = window_->geometry();
      savedFlags_ = window_->flags();
    }
    window_->setFlags(savedFlags_ | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window_->setGeometry(on->geometry());
    window_->showFullScreen();
    window_->requestActivate();  // the keys come here, not to the window that had them
    covering_ = true;
    return true;
  }
  void Uncover() override {
    if (!covering_) return;
    covering_ = false;
    const bool visible = window_->isVisible();
    window_->setFlags(savedFlags_);
    window_->setWindowStates(Qt::WindowNoState);
    window_->setGeometry(savedGeometry_);
    if (visible) window_->showNormal();
  }
  bool IsCovering() const override { return covering_; }
  bool HasFrame() const override { return !(window_->flags() & Qt::FramelessWindowHint); }
  void SetClientSize(int width, int height) override { window_->resize(Logical(width), Logical(height)); }

 private:
  int Device(int logical) const { return qRound(logical * window_->devicePixelRatio()); }
  int Logical(int device) const { return std::max(1, qRound(device / window_->devicePixelRatio())); }

  void SelectPixels() {
    dc_.SelectTarget(PixelTarget{pixels_.bits(), static_cast<std::ptrdiff_t>(pixels_.bytesPerLine()), pixels_.width(),
                                 pixels_.height(), 32},
                     nullptr, 0);
  }

  // A window's client pixels start black, as a window class without a background brush
  // leaves them on most displays; what was drawn before a resize is not kept.
  void Reallocate(int width, int height) {
    if (width == pixels_.width() && height == pixels_.height()) return;
    pixels_ = width > 0 && height > 0 ? QImage(width, height, QImage::Format_RGB32) : QImage();
    if (!pixels_.isNull()) {
      pixels_.fill(Qt::black);
      pixels_.setDevicePixelRatio(window_->devicePixelRatio());  // drawn one for one
    }
    if (dcCount_ > 0) {
      if (pixels_.isNull()) {
        dc_ = DeviceContext();
      } else {
        SelectPixels();
      }
    }
  }

  void OnPaint(QPainter& painter) override {
    if (needsPaint_ && paintHandler_) {
      painting_ = true;
      paintHandler_();
      painting_ = false;
    }
    needsPaint_ = false;
    if (!pixels_.isNull()) painter.drawImage(0, 0, pixels_);
  }
  void OnResize(int width, int height) override {
    Reallocate(Device(width), Device(height));
    needsPaint_ = true;
    if (resizeHandler_) resizeHandler_(Device(width), Device(height));
  }
  void OnExpose() override { needsPaint_ = true; }
  void OnInput(InputEvent::Kind kind, QPointF screenPosition) override {
    if (!inputHandler_) return;
    InputEvent event;
    event.kind = kind;
    event.screenX = static_cast<int>(screenPosition.x());
    event.screenY = static_cast<int>(screenPosition.y());
    inputHandler_(event);
  }

  std::unique_ptr<PixelWindow> window_;
  QWindow* foreign_ = nullptr;  // owned by the application, like every foreign window
  std::unique_ptr<QTimer> hostWatch_;  // asks whether the foreign window is still there
  QImage pixels_;
  DeviceContext dc_;
  int dcCount_ = 0;
  bool needsPaint_ = true;
  bool painting_ = false;
  bool covering_ = false;
  QRect savedGeometry_;
  Qt::WindowFlags savedFlags_;
};

}  // namespace

bool CanReachDisplay() {
  if (!Named("QT_QPA_PLATFORM") && !Named("DISPLAY") && !Named("WAYLAND_DISPLAY")) return false;
  if (!SpeaksX11()) return true;
  // Qt ends the process when it cannot reach the X server it was told to use: ask first.
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool reached = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  return reached;
}

bool OpenDisplay() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return true;
  if (QCoreApplication::instance()) return false;  // a program without windows
  if (!CanReachDisplay()) return false;
  static int argc = 1;
  static char name[] = "ossen";
  static char* argv[] = {name, nullptr};
  g_messagesBefore = qInstallMessageHandler(EndOnFatalMessage);
  // Lives until the process ends: windows may be made and dropped at any time before.
  static QGuiApplication* const application = new QGuiApplication(argc, argv);
  qInstallMessageHandler(g_messagesBefore);
  application->setQuitOnLastWindowClosed(false);
  return true;
}

void ProcessDisplayEvents(int milliseconds) {
  if (!QCoreApplication::instance()) return;
  if (milliseconds <= 0) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

int RunDisplayLoop() { return QCoreApplication::instance() ? QCoreApplication::exec() : 1; }

void QuitDisplayLoop(int status) { QCoreApplication::exit(status); }

void EveryMilliseconds(int milliseconds, std::function<void()> tick) {
  auto* timer = new QTimer(QCoreApplication::instance());
  QObject::connect(timer, &QTimer::timeout, timer, std::move(tick));
  timer->start(milliseconds);
}

void GetCursorPos(int& x, int& y) {
  const QPoint at = QCursor::pos();
  x = at.x();
  y = at.y();
}

void HidePointer() { QGuiApplication::setOverrideCursor(Qt::BlankCursor); }

int ScreenCount() { return static_cast<int>(QGuiApplication::screens().size()); }

RECT ScreenRect(int screen) {
  RECT rect;
  if (const QScreen* on = ScreenAt(screen)) {
    const QRect area = on->geometry();
    rect.left = area.left();
    rect.top = area.top();
    rect.right = area.left() + area.width();
    rect.bottom = area.top() + area.height();
  }
  return rect;
}

std::unique_ptr<ScreenWindow> ScreenWindow::Create(int width, int height, int screen, const char* title) {
  if (!OpenDisplay() || width < 1 || height < 1) return nullptr;
  auto window = std::make_unique<QtScreenWindow>();
  if (!window->Place(width, height, screen, title)) return nullptr;
  return window;
}

std::unique_ptr<ScreenWindow> ScreenWindow::CreateInside(std::uint64_t nativeId) {
  if (!OpenDisplay() || nativeId == 0) return nullptr;
  auto window = std::make_unique<QtScreenWindow>();
  if (!window->PlaceInside(nativeId)) return nullptr;
  return window;
}

UINT RealizeWindowPalette(ScreenWindow*, const RGBQUAD*, int, BOOL) { return 0; }

BOOL DrawLine(DeviceContext& dc, int x0, int y0, int x1, int y1, COLORREF color) {
  if (!dc.HasTarget()) return FALSE;
  // Bresenham's walk; the end point itself is not drawn, as GDI leaves it.
  const long long dx = std::llabs(static_cast<long long>(x1) - x0);
  const long long dy = -std::llabs(static_cast<long long>(y1) - y0);
  const int stepX = x0 < x1 ? 1 : -1;
  const int stepY = y0 < y1 ? 1 : -1;
  long long error = dx + dy;
  long long x = x0;
  long long y = y0;
  while (x != x1 || y != y1) {
    if (x >= 0 && y >= 0 && x < dc.target().width && y < dc.target().height) {
      const RECT pixel{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + 1), static_cast<LONG>(y + 1)};
      dc.FillSolidRect(pixel, color);
    }
    const long long doubled = 2 * error;
    if (doubled >= dy) {
      error += dy;
      x += stepX;
    }
    if (doubled <= dx) {
      error += dx;
      y += stepY;
    }
  }
  return TRUE;
}

}  // namespace ossen
