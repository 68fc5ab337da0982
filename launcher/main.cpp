// Discmenu: the disc's launcher. Installs the product, starts the installed program, or ends.
#include <QApplication>

#include "launcher/disc_menu.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The disc's root is the folder the launcher was started from.
  discmenu::DiscMenu menu(QCoreApplication::applicationDirPath().toStdString());
  menu.show();
  return app.exec();
}
