// The About box: sized to its bitmap, and Enter or Escape closes it.
#include "book/about_box.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include "book/test/qt_app.h"

namespace ossen {
namespace {

TEST(AboutBox, IsExactlyTheSizeOfItsBitmap) {
  testing::TestApplication();
  AboutBox box;
  const QImage picture = LoadAboutPicture();
  EXPECT_EQ(box.Picture().size(), picture.size());
  if (!picture.isNull()) {
    EXPECT_EQ(box.size(), picture.size());
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
  }
}

TEST(AboutBox, EnterAndEscapeCloseIt) {
  testing::TestApplication();
  for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
    AboutBox box;
    QTimer::singleShot(0, &box, [&box, key] {
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QApplication::sendEvent(&box, &press);
    });
    // A box that ignored the key would leave exec() running until the guard below.
    QTimer::singleShot(5000, &box, [&box] { box.done(-1); });
    EXPECT_NE(box.exec(), -1) << key;
  }
}

}  // namespace
}  // namespace ossen
