// ossen.scr: the screen saver of the collection. It shows the painting the scheduler named
// (or all of them in a random order) on every screen until a key, a button or a movement of
// the pointer, or draws into a window it is given.
#include <QApplication>
#include <QMessageBox>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/trace.h"
#include "product/product_names.h"
#include "saver/input_watch.h"
#include "saver/saver_command.h"
#include "saver/saver_settings.h"
#include "saver/saver_show.h"
#include "schedule/catalogue.h"

namespace {

using namespace ossen;

constexpr auto& kTitle = ossen::product::kProductName;
constexpr char kUsage[] =
    "usage: ossen.scr [-s | /s | /p WINDOW | /c | -root | -window-id WINDOW]\n"
    "  -s             preview the painting chosen with the Preview button\n"
    "  /s, -root      the screen saver (into XSCREENSAVER_WINDOW when it is set)\n"
    "  -window-id ID  draw into the window ID\n"
    "  /p ID          draw small into the window ID\n"
    "  /c             say which painting is set\n";

// The /c dialog: what the scheduler set for the screen saver, the painting named as the
// picture library names it.
int ShowSetting(int argc, char** argv, const SaverSettings& settings) {
  if (!CanReachDisplay()) {
    std::fprintf(stderr, "ossen.scr: no display to show the setting on\n");
    return 1;
  }
  QApplication application(argc, argv);
  const PaintingLibrary library = PaintingLibrary::Open();
  const std::string text = DescribeShowPlan(PlanShow(SaverRun::kIdle, settings), LibrarySlotCatalogue(library.Module()));
  QMessageBox::information(nullptr, QString::fromLatin1(kTitle), QString::fromLatin1(text.c_str()));
  return 0;
}

// One window covering each screen, or one inside the window `windowId`. 0, or the exit
// status of a run that cannot show anything.
int MakeWindows(std::uint64_t windowId, std::vector<std::unique_ptr<ScreenWindow>>& windows) {
  if (!OpenDisplay()) {
    std::fprintf(stderr, "ossen.scr: no display to show the paintings on\n");
    return 1;
  }
  if (windowId != 0) {
    std::unique_ptr<ScreenWindow> window = ScreenWindow::CreateInside(windowId);
    if (!window) {
      std::fprintf(stderr, "ossen.scr: there is no window %llu to draw into\n",
                   static_cast<unsigned long long>(windowId));
      return 1;
    }
    // The window's owner (a screen-saver dialog's preview, XScreenSaver) ends the run by
    // destroying it.
    window->SetGoneHandler([] { QuitDisplayLoop(0); });
    windows.push_back(std::move(window));
    return 0;
  }
  for (int screen = 0; screen < ScreenCount(); ++screen) {
    std::unique_ptr<ScreenWindow> window = ScreenWindow::Create(640, 480, screen, kTitle);
    if (window) windows.push_back(std::move(window));
  }
  if (windows.empty()) {
    std::fprintf(stderr, "ossen.scr: no screen to show the paintings on\n");
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const SaverCommand command = ParseSaverCommand(arguments, std::getenv("XSCREENSAVER_WINDOW"));
  if (command.run == SaverRun::kBadUsage) {
    std::fprintf(stderr, "ossen.scr: %s\n%s", command.message.c_str(), kUsage);
    return 2;
  }
  const SaverSettings settings = ReadSaverSettings();
  // The collection carries no sound, so "Mute" changes nothing that is heard.
  Trace("ossen.scr: Pic %u, prev %u, Mute %u\n", settings.pic, settings.prev, settings.mute);
  if (command.run == SaverRun::kConfigure) return ShowSetting(argc, argv, settings);

  // Declared in the order they depend on each other: the show keeps views of the windows
  // and reads the library.
  std::vector<std::unique_ptr<ScreenWindow>> windows;
  PaintingLibrary library;
  const auto seed = static_cast<std::uint32_t>(std::time(nullptr)) ^ static_cast<std::uint32_t>(getpid());
  SaverShow show(library, PlanShow(command.run, settings), seed);
  // The library and the first painting are read while the display is reached and the
  // windows are made: the painting is on the screen sooner.
  std::thread preparing([&library, &show] {
    library = PaintingLibrary::Open();
    show.PrepareFirst();
  });
  const auto started = std::chrono::steady_clock::now();
  const int windowsMade = MakeWindows(command.windowId, windows);
  preparing.join();
  if (windowsMade != 0) return windowsMade;
  if (!library.IsOpen()) Trace("ossen.scr: no picture library, a black screen\n");
  const bool ownWindows = command.windowId == 0;
  for (const auto& window : windows) show.AddWindow(window.get(), ownWindows);
  show.Start();

  if (ownWindows) {
    int x = 0;
    int y = 0;
    GetCursorPos(x, y);
    const InputWatch watch(x, y);
    for (const auto& window : windows) {
      window->SetInputHandler([watch](const InputEvent& event) {
        if (watch.Ends(event)) QuitDisplayLoop(0);
      });
    }
    HidePointer();
  }
  for (const auto& window : windows) window->Show();
  EveryMilliseconds(40, [&show, started] {
    const auto elapsed = std::chrono::steady_clock::now() - started;
    show.Tick(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
  });
  return RunDisplayLoop();
}
