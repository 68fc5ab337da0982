#include "launcher/disc_menu.h"

#include <QFont>
#include <QMessageBox>
#include <QPainter>

#include "launcher/launcher_art.h"
#include "platform/base/trace.h"

namespace discmenu {

DiscMenu::DiscMenu(const std::string& discFolder, DiscActions::ShowMessage showMessage)
    : actions_(discFolder, showMessage ? std::move(showMessage)
                                       : DiscActions::ShowMessage([this](const std::string& text) { ShowInformation(text); })) {
  setWindowTitle(ossen::product::kProductName);
  setWindowIcon(LauncherIcon());
  setFixedSize(PixelsFromTwips(kClientWidthTwips), PixelsFromTwips(kClientHeightTwips));
  move(PixelsFromTwips(kFormLeftTwips), PixelsFromTwips(kFormTopTwips));

  install_ = AddButton("Install", kInstallTopTwips);
  run_ = AddButton("Run", kRunTopTwips);
  exit_ = AddButton("Exit", kExitTopTwips);
  connect(install_, &QPushButton::clicked, this, [this] { actions_.Install(); });
  connect(run_, &QPushButton::clicked, this, [this] { actions_.Run(); });
  connect(exit_, &QPushButton::clicked, this, &QWidget::close);
}

QPushButton* DiscMenu::AddButton(const char* caption, int topTwips) {
  auto* button = new QPushButton(caption, this);
  // Bold 8.25-point "MS Sans Serif": 11 pixels at 96 dots per inch; the host's sans-serif
  // face stands in when that face is not there.
  QFont font;
  font.setFamilies({"MS Sans Serif", "DejaVu Sans", "Sans Serif"});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  font.setBold(true);
  button->setFont(font);
  button->setGeometry(PixelsFromTwips(kButtonLeftTwips), PixelsFromTwips(topTwips), PixelsFromTwips(kButtonWidthTwips),
                      PixelsFromTwips(kButtonHeightTwips));
  return button;
}

void DiscMenu::ShowInformation(const std::string& text) {
  ossen::Trace("discmenu: message \"%s\"", text.c_str());
  QMessageBox box(QMessageBox::Information, kMessageTitle, QString::fromLatin1(text.c_str()), QMessageBox::Ok, this);
  box.exec();
}

void DiscMenu::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, LauncherBackground(width(), height()));
}

}  // namespace discmenu
