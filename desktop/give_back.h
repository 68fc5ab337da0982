// What ossen gives back to the desktop when it is taken away, the same from the removal run
// (`ossen -k`) and from the uninstaller: the person's own wallpaper, kept before ossen's
// first painting (the session's desktop backend puts it back and forgets it), and the
// screen-saver settings that name ossen's screen saver.
#pragma once

#include <string>
#include <vector>

namespace ossen {

// Gives back what ossen took: the own wallpaper through the session's desktop backend
// (MakeDesktopBackendForSession), and, when "SCRNSAVE.EXE" in [boot] of system.ini names
// ossen.scr, removes that entry and switches the screen saver off ("ScreenSaveActive" "0"),
// as choosing no screen saver does. A saver of another name is left alone. Returns one line
// for each thing given back.
std::vector<std::string> GiveBackDesktop();

}  // namespace ossen
