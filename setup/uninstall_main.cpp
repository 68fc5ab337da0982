// The uninstaller that "uninstallpath" names.
//   uninst     asks once, removes the product, and says what it removed
//   uninst /s  unattended: removes without asking and prints what it removed
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "product/product_names.h"
#include "setup/uninstaller.h"

namespace {

bool IsSilentSwitch(std::string_view argument) {
  return argument.size() == 2 && (argument[0] == '/' || argument[0] == '-') && (argument[1] | 0x20) == 's';
}

std::string Report(const ossen::setup::RemovalResult& result) {
  const std::string product = ossen::product::kProductName;
  std::string text = result.removed.empty() && result.givenBack.empty()
                         ? "Nothing of " + product + " was found to remove.\n"
                         : product + " was removed from this computer.\n";
  if (!result.givenBack.empty()) text += "\nGiven back:\n";
  for (const std::string& line : result.givenBack) text += "  " + line + "\n";
  if (!result.removed.empty()) text += "\nRemoved:\n";
  for (const std::string& line : result.removed) text += "  " + line + "\n";
  if (!result.kept.empty()) text += "\nLeft in place:\n";
  for (const std::string& line : result.kept) text += "  " + line + "\n";
  return text;
}

bool HasDisplay() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform != nullptr && *platform != '\0') return std::string_view(platform) != "offscreen";
  return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const bool silent = argc == 2 && IsSilentSwitch(argv[1]);
  if (argc > 2 || (argc == 2 && !silent)) {
    std::fprintf(stderr, "usage: uninst [/s]\n");
    return 2;
  }
  if (silent) {
    std::fputs(Report(ossen::setup::Uninstall()).c_str(), stdout);
    return 0;
  }
  if (!HasDisplay()) {
    std::fprintf(stderr, "uninst: there is no display to ask on; nothing was removed. "
                         "To remove without asking: uninst /s\n");
    return 1;
  }
  QApplication app(argc, argv);
  const QString title = QString::fromLatin1(ossen::product::kProductName) + " Uninstall";
  const QString question = QString("Remove %1 and all of its components from this computer?\n\n"
                                   "Your schedule and the program's wallpaper go with it.")
                               .arg(ossen::product::kProductName);
  if (QMessageBox::question(nullptr, title, question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) !=
      QMessageBox::Yes)
    return 1;
  const std::string report = Report(ossen::setup::Uninstall());
  std::fputs(report.c_str(), stdout);
  QMessageBox::information(nullptr, title, QString::fromLatin1(report.c_str()));
  return 0;
}
