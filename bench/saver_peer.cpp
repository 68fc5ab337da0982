// The peer of the screen saver's start-up: the least a Qt program does to show one JPEG file
// full screen, scaled whole with its aspect kept on black.
//   saver_peer picture.jpg
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>

namespace {

class PictureWindow final : public QRasterWindow {
 public:
  explicit PictureWindow(QImage picture) : picture_(std::move(picture)) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(QRect(QPoint(0, 0), size()), Qt::black);
    QSize fitted = picture_.size().scaled(size(), Qt::KeepAspectRatio);
    painter.drawImage(QRect(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted), picture_);
  }

 private:
  QImage picture_;
};

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  if (argc < 2) return 2;
  QImage picture(QString::fromLocal8Bit(argv[1]));
  if (picture.isNull()) return 1;
  PictureWindow window{picture};
  // Without a window manager (Xvfb) full screen is only a request: the size is set as well.
  window.setGeometry(window.screen()->geometry());
  window.showFullScreen();
  return QGuiApplication::exec();
}
