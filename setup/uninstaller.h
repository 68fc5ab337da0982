// Removing what the installer wrote, and what the program left that names it.
#pragma once

#include <string>
#include <vector>

namespace ossen::setup {

struct RemovalResult {
  std::vector<std::string> givenBack;  // what the desktop got back (GiveBackDesktop), one line each
  std::vector<std::string> removed;    // what was taken away, one line each
  std::vector<std::string> kept;       // what was meant to go but could not, one line each
};

// Ends a running copy, gives the desktop back what the removal run gives back (the own
// wallpaper and the screen-saver settings: GiveBackDesktop), then removes: the program,
// its picture library and the uninstaller, the schedule and the wallpaper bitmap from the
// program folder ("sourcepath", else the launcher's INSTALLDIR), the folder when nothing
// else is left in it, the screen saver from the system folder, the Setup values, the
// launcher's section of X7352.INI, the menu entry, the Run value "ossen.exe" when it names
// the program, the wallpaper records that name the program's files, and puts a saved
// start-up image back. Files of other names, other values and other sections are never
// touched.
RemovalResult Uninstall();

// Takes away an earlier installation's program folder once the program has moved to another
// one (its schedule moved along first; one still there stays, and so does the folder): when the desktop's wallpaper records name a picture
// in it, the person's own wallpaper comes back first and the records say no wallpaper; then
// the program's files go, the folder and the company's folder above it when nothing else is
// in them, and the logon entry that starts the program from there.
RemovalResult RemoveEarlierFolder(const std::string& folder);

}  // namespace ossen::setup
