// Removing what the installer wrote, and what the program left that names it.
#pragma once

#include <string>
#include <vector>

namespace ossen::setup {

struct RemovalResult {
  std::vector<std::string> removed;  // what was taken away, one line each
  std::vector<std::string> kept;     // what was meant to go but could not, one line each
};

// Ends a running copy, then removes: the program, its picture library and the uninstaller,
// the schedule and the wallpaper bitmap from the program folder ("sourcepath", else the
// launcher's INSTALLDIR), the folder when nothing else is left in it, the screen saver from
// the system folder, the Setup values, the launcher's section of X7352.INI, the menu entry,
// the Run value "ossen.exe" when it names the program, the wallpaper and screen-saver
// records that name the program's files, and puts a saved start-up image back. Files of
// other names, other values and other sections are never touched.
RemovalResult Uninstall();

}  // namespace ossen::setup
