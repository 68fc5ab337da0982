#include "setup/setup_window.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QVBoxLayout>

#include "platform/win32/paths.h"
#include "platform/win32/process.h"
#include "product/product_names.h"
#include "setup/installer.h"
#include "setup/setup_icon.h"

namespace ossen::setup {
namespace {

QString Latin1(const std::string& text) { return QString::fromLatin1(text.c_str()); }

}  // namespace

SetupWindow::SetupWindow(std::string payloadDir) : payloadDir_(std::move(payloadDir)) {
  setWindowTitle(Latin1(std::string(product::kProductName) + " Setup"));
  const std::vector<std::uint8_t> icon = ProgramIconPng();
  QPixmap iconPixmap;
  if (!icon.empty() && iconPixmap.loadFromData(icon.data(), static_cast<uint>(icon.size()), "PNG")) setWindowIcon(iconPixmap);
  auto* intro = new QLabel(Latin1(std::string("Setup will install ") + product::kProductName +
                                  " in the following folder.\n\nTo install in another folder, type its name or "
                                  "choose Browse. A schedule you made before is kept."));
  intro->setWordWrap(true);
  folder_ = new QLineEdit(Latin1(ProposedFolder()));
  folder_->setMinimumWidth(420);
  moveNote_ = new QLabel;
  moveNote_->setWordWrap(true);
  // Room for the note from the start: the window keeps its size when the note appears.
  moveNote_->setMinimumHeight(3 * moveNote_->fontMetrics().lineSpacing());
  moveNote_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  auto* browse = new QPushButton("&Browse...");
  install_ = new QPushButton("&Install");
  install_->setDefault(true);
  auto* cancel = new QPushButton("Cancel");

  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(folder_);
  folderRow->addWidget(browse);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(install_);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(intro);
  layout->addSpacing(8);
  layout->addWidget(new QLabel("Destination folder:"));
  layout->addLayout(folderRow);
  layout->addWidget(moveNote_);
  layout->addStretch();
  layout->addLayout(buttons);

  connect(browse, &QPushButton::clicked, this, &SetupWindow::Browse);
  connect(install_, &QPushButton::clicked, this, &SetupWindow::InstallNow);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(folder_, &QLineEdit::textChanged, this, &SetupWindow::UpdateMoveNote);
  UpdateMoveNote();
}

void SetupWindow::UpdateMoveNote() {
  const std::string note = MoveNote(folder_->text().toLatin1().toStdString());
  moveNote_->setText(Latin1(note));
}

void SetupWindow::Browse() {
  // The host's folder dialog; its answer is given the Windows name the program uses.
  const QString chosen = QFileDialog::getExistingDirectory(this, "Destination folder");
  if (!chosen.isEmpty()) folder_->setText(Latin1(WinPathFromHost(chosen.toStdString())));
}

void SetupWindow::InstallNow() {
  install_->setEnabled(false);
  const InstallResult result = Install({payloadDir_, folder_->text().toLatin1().toStdString(), ProgramIconPng()});
  install_->setEnabled(true);
  if (!result.ok) {
    QMessageBox::warning(this, windowTitle(), Latin1(result.message));
    return;
  }
  const auto answer = QMessageBox::question(
      this, windowTitle(), Latin1(result.message + "\n\nStart " + product::kProductName + " now?"),
      QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
  if (answer == QMessageBox::Yes) {
    const std::string command = "\"" + result.folder + "\\" + product::kProgramExeName + "\"";
    if (WinExec(command.c_str(), SW_SHOWNORMAL) < 32)
      QMessageBox::warning(this, windowTitle(), Latin1("Cannot start " + command + "."));
  }
  accept();
}

}  // namespace ossen::setup
