// The installer's window: where to install, Install or Cancel, then the offer to start.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <string>

namespace ossen::setup {

class SetupWindow : public QDialog {
 public:
  explicit SetupWindow(std::string payloadDir);

  QLineEdit* folderField() const { return folder_; }
  QPushButton* installButton() const { return install_; }

 private:
  void Browse();
  void InstallNow();

  std::string payloadDir_;
  QLineEdit* folder_;
  QPushButton* install_;
};

}  // namespace ossen::setup
