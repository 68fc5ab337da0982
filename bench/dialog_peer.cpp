// The peer of the start-up benchmark: the least a Qt Widgets program with a 640 x 480
// dialog does. It reports its first paint on standard error, as ossen's trace does, and
// with -h stays hidden and reports when it is ready.
#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

class PeerDialog : public QDialog {
 public:
  PeerDialog() : page_(640, 480, QImage::Format_Indexed8) {
    setFixedSize(640, 480);
    page_.setColorCount(256);
    page_.fill(0);
  }

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    QPainter painter(this);
    painter.drawImage(0, 0, page_);
    if (!painted_) {
      painted_ = true;
      std::fprintf(stderr, "first paint\n");
      std::fflush(stderr);
    }
  }

 private:
  QImage page_;
  bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const bool hidden = argc > 1 && std::strcmp(argv[1], "-h") == 0;
  PeerDialog dialog;
  if (hidden) {
    QTimer::singleShot(0, [] {
      std::fprintf(stderr, "book window ready\n");
      std::fflush(stderr);
    });
  } else {
    dialog.show();
  }
  return app.exec();
}
