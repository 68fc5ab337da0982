// What the launcher's three buttons do, apart from the form: start the installer from the
// disc, start the installed program, and the messages either may give.
#pragma once

#include <functional>
#include <string>

#include "product/product_names.h"

namespace discmenu {

inline constexpr char kMessageTitle[] = "Information";

// "In order to run Vintra Ossens Screen Savers, you should install first."
std::string InstallFirstMessage();
// "A problem was encountered while trying to load the application, please reinstall!"
std::string ReinstallMessage();
// The installer could not be started from the disc's folder.
std::string NoInstallerMessage(const std::string& discFolder);

class DiscActions {
 public:
  using ShowMessage = std::function<void(const std::string& text)>;

  // `discFolder`: the host folder the launcher was started from (the disc's root).
  DiscActions(std::string discFolder, ShowMessage showMessage);

  // Makes the disc's folder current and starts "SETUP.EXE" there.
  void Install();
  // Reads X7352.INI from the Windows folder and starts "Ossen.EXE" in the folder it names.
  void Run();

 private:
  std::string discFolder_;
  ShowMessage showMessage_;
};

}  // namespace discmenu
