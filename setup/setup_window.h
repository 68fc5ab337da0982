// The installer's window: where to install (the installed folder when there is one, and
// what installing elsewhere does to it), Install or Cancel, then the offer to start.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>

namespace ossen::setup {

class SetupWindow : public QDialog {
 public:
  explicit SetupWindow(std::string payloadDir);

  QLineEdit* folderField() const { return folder_; }
  QPushButton* installButton() const { return install_; }
  // What installing into the folder shown does to an installation elsewhere; empty when
  // there is nothing to say.
  QLabel* moveNote() const { return moveNote_; }

 private:
  void Browse();
  void InstallNow();
  void UpdateMoveNote();

  std::string payloadDir_;
  QLineEdit* folder_;
  QPushButton* install_;
  QLabel* moveNote_;
};

}  // namespace ossen::setup
