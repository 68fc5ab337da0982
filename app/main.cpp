// ossen: the resident desktop-theme scheduler.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/theme_app.h"
#include "product/product_names.h"

namespace {

constexpr char kUsage[] =
    "Usage: ossen [-h | -k]\n"
    "Vintra Ossens Screen Savers: puts paintings on the desktop at the dates and times you schedule.\n"
    "\n"
    "  (none)     start, or show the window of the copy that is already running\n"
    "  -h         start hidden: only the tray icon shows until you open the window\n"
    "  -k         end the running copy, put the original start-up image back and start the\n"
    "             uninstaller when one is installed\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "\n"
    "The letters count anywhere in the arguments: any argument holding a k is a -k.\n"
    "Files live in the prefix $OSSEN_PREFIX (default ~/.local/share/ossen).\n";

// Qt ends a program that finds no display; ossen needs none to keep its schedule or to end
// the running copy (-k from a terminal without a desktop). Without one it runs off screen.
void RunOffScreenWithoutDisplay(int argc, char** argv) {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  bool removal = false;
  for (int i = 1; i < argc; ++i) removal = removal || std::strpbrk(argv[i], "kK") != nullptr;
  if (!removal) {
    std::fprintf(stderr, "ossen: no display (DISPLAY and WAYLAND_DISPLAY are unset); running without a window. "
                         "End it with: %s -k\n", argv[0]);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Asked for before the letter rules: "--help" holds an h and "--version" none of the letters.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::puts(ossen::product::kVersionLine);
      return 0;
    }
  }
  RunOffScreenWithoutDisplay(argc, argv);
  ossen::ThemeApp app(argc, argv);
  app.InitInstance();
  return 0;
}
