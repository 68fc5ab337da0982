// SETUP.EXE: installs the product from the disc it lies on.
//   setup                 the installer's window
//   setup /s [/d FOLDER]  unattended: installs into FOLDER (default the installed folder,
//                         else the usual one), prints what it did; exit 0, or 1 with the
//                         reason on standard error
#include <QApplication>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/win32/paths.h"
#include "setup/installer.h"
#include "setup/setup_icon.h"
#include "setup/setup_window.h"

namespace {

bool IsSwitch(std::string_view argument, char letter) {
  return argument.size() == 2 && (argument[0] == '/' || argument[0] == '-') && (argument[1] | 0x20) == letter;
}

int Unattended(const std::string& payloadDir, const std::string& folder) {
  const ossen::setup::InstallResult result = ossen::setup::Install({payloadDir, folder, ossen::setup::ProgramIconPng()});
  if (!result.ok) {
    std::fprintf(stderr, "setup: %s\n", result.message.c_str());
    return 1;
  }
  for (const std::string& step : result.steps) std::printf("  %s\n", step.c_str());
  std::printf("%s\n", result.message.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool silent = false;
  std::string folder;  // none given: the installed folder, else the default
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (IsSwitch(argument, 's')) {
      silent = true;
    } else if (IsSwitch(argument, 'd') && i + 1 < argc) {
      folder = argv[++i];
    } else {
      std::fprintf(stderr, "usage: setup [/s] [/d FOLDER]\n");
      return 2;
    }
  }
  // The payload lies beside the installer on the disc.
  if (silent) {
    QCoreApplication app(argc, argv);
    return Unattended(QCoreApplication::applicationDirPath().toStdString(),
                      folder.empty() ? ossen::setup::ProposedFolder() : folder);
  }
  QApplication app(argc, argv);
  ossen::setup::SetupWindow window(QCoreApplication::applicationDirPath().toStdString());
  if (!folder.empty()) window.folderField()->setText(QString::fromLatin1(folder.c_str()));
  window.show();
  return window.exec() == QDialog::Accepted ? 0 : 1;
}
