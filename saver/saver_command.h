// The screen saver's command line. It takes the Windows screen-saver forms (case does not
// matter) and the forms XScreenSaver uses for its programs:
//
//   -s                  the Preview button's run: full screen, painting "prev"
//   /s, no argument     the desktop's idle run: full screen, painting "Pic"
//   -root               idle run on the window XScreenSaver names in XSCREENSAVER_WINDOW,
//                       full screen without one
//   -window-id ID       idle run drawn into the window ID (decimal or 0x hexadecimal)
//   /p ID, /p:ID        painting "Pic" drawn small into the window ID
//   /c, /c:ID           a small dialog saying which painting is set
//
// A plain or /s run also draws into XSCREENSAVER_WINDOW when that is set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ossen {

enum class SaverRun {
  kPreview,    // "-s": painting "prev"
  kIdle,       // painting "Pic"
  kConfigure,  // the dialog
  kBadUsage,
};

struct SaverCommand {
  SaverRun run = SaverRun::kIdle;
  // The window to draw into; 0: a window of our own covering every screen.
  std::uint64_t windowId = 0;
  // Why the command line was refused (kBadUsage).
  std::string message;
};

// `arguments` without the program name; `environmentWindow` is XSCREENSAVER_WINDOW or null.
SaverCommand ParseSaverCommand(const std::vector<std::string>& arguments, const char* environmentWindow);

// A window id: decimal digits, or 0x and hexadecimal digits; 0 for anything else (0 itself
// names no window).
std::uint64_t ParseWindowId(const std::string& text);

}  // namespace ossen
