#include "app/theme_app.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "app/instance_marker.h"
#include "app/program_folder.h"
#include "app/removal_run.h"
#include "app/resident/resident_program.h"
#include "platform/base/ascii_case.h"
#include "platform/base/trace.h"
#include "platform/win32/session_end.h"
#include "product/product_names.h"

namespace ossen {
namespace {

ThemeApp* theApp = nullptr;

std::string JoinArguments(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

}  // namespace

bool ContainsLetter(const std::string& text, char lower) {
  const char upper = AsciiUpper(lower);
  return text.find(lower) != std::string::npos || text.find(upper) != std::string::npos;
}

ThemeApp::ThemeApp(int& argc, char** argv) : QApplication(argc, argv), commandLine_(JoinArguments(argc, argv)) {
  theApp = this;
  // Closing the book window only hides it; the program ends by Exit alone.
  setQuitOnLastWindowClosed(false);
}

ThemeApp::~ThemeApp() {
  instanceMarker.reset();
  theApp = nullptr;
}

ThemeApp* ThemeApp::Instance() { return theApp; }

void ThemeApp::InitInstance() {
  instanceMarker = OpenInstanceMarker();
  HWND runningWindow = MarkerWindow(instanceMarker.get());

  if (ContainsLetter(commandLine_, 'k')) {
    // A copy still starting up has the name but no handle yet: give it time to publish.
    if (runningWindow == 0 && instanceMarker->data != nullptr) {
      runningWindow = WaitForMarkerWindow(instanceMarker.get(), kWakeTimeoutMs);
    }
    RunRemoval(runningWindow, kExitAnswerMs);
    // One line for the person who typed -k: what, if anything, was ended. The copy answers
    // Exit when its shut-down is done, a moment before its process (and so its marker) ends.
    bool stillRunning = runningWindow != 0;
    for (int waited = 0; stillRunning && waited < kMarkerGoneMs; waited += kMarkerPollMs) {
      stillRunning = OpenInstanceMarker()->data != nullptr;
      if (stillRunning) std::this_thread::sleep_for(std::chrono::milliseconds(kMarkerPollMs));
    }
    // The copy wrote what its shut-down did with the schedule into the marker before it
    // answered Exit; this process's view of the marker still shows it.
    const bool saved = MarkerScheduleSave(instanceMarker.get()) == MarkerSave::kSaved;
    std::puts(runningWindow == 0 ? "ossen: no copy was running"
              : stillRunning     ? "ossen: the running copy did not end"
              : saved            ? "ossen: ended the running copy (its schedule is saved)"
                                 : "ossen: ended the running copy (its schedule was NOT saved)");
    return;
  }
  if (runningWindow != 0 && SendCommand(runningWindow, product::kCommandProperties, kWakeTimeoutMs)) {
    Trace("start: woke the running copy");
    return;
  }
  instanceMarker.reset();
  ResidencyOutcome outcome = BecomeResidentOrWake(product::kCommandProperties, kWakeTimeoutMs);
  if (!outcome.resident) {
    Trace("start: woke the running copy");
    return;
  }
  RunResident(std::move(outcome.marker));
}

void ThemeApp::RunResident(std::unique_ptr<FileSource> marker) {
  instanceMarker = std::move(marker);

  // Where this copy keeps its files, and what starts it at the next logon.
  PrepareResidentStart();
  const bool startHidden = ContainsLetter(commandLine_, 'h');
  ResidentProgram resident(startHidden);
  // The session's end saves the schedule; the Run value stays, so the next logon starts us.
  InstallSessionEndHandler([this, &resident] {
    resident.OnEndSession();
    instanceMarker.reset();
  });
  connect(this, &QGuiApplication::commitDataRequest, &resident, [&resident] { resident.OnEndSession(); });
  resident.OnShutDownSave([this](bool saved) { StoreMarkerScheduleSave(instanceMarker.get(), saved); });
  resident.Run([this](HWND window) { PublishWindow(window); });
  // The program is shut down; a signal from here on only ends the process.
  InstallSessionEndHandler([] {});
}

void ThemeApp::PublishWindow(HWND window) {
  StoreMarkerWindow(instanceMarker.get(), window);
  Trace("published window %u", static_cast<unsigned>(window));
}

}  // namespace ossen
