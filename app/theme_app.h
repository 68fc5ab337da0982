// The application object: one per process. Its program start decides from the command
// line and the instance marker whether this process is the removal run, a second start
// that only wakes the resident copy, or the resident copy itself.
#pragma once
#include <memory>
#include <string>

#include <QApplication>

#include "image/file_source.h"
#include "platform/win32/window_commands.h"

namespace ossen {

// How long a start waits for a running copy's window to appear and answer.
inline constexpr int kWakeTimeoutMs = 30000;
// How long the removal run waits for the running copy's whole shut-down.
inline constexpr DWORD kExitAnswerMs = 60000;
inline constexpr int kMarkerGoneMs = 5000;  // after Exit was answered, for the process to end
inline constexpr int kMarkerPollMs = 50;

class ThemeApp : public QApplication {
 public:
  ThemeApp(int& argc, char** argv);
  // Instance exit: deletes the marker, which closes the mapping and its backing file.
  ~ThemeApp() override;

  // The global application object; null before one is made.
  static ThemeApp* Instance();

  // Program start, in its order; returns when this process is done.
  void InitInstance();
  // Stores the resident window's handle in the marker (nothing when it has no view).
  void PublishWindow(HWND window);

  // The arguments after the program name, joined by spaces.
  const std::string& CommandLineText() const { return commandLine_; }

  std::unique_ptr<FileSource> instanceMarker;

 private:
  void RunResident(std::unique_ptr<FileSource> marker);

  std::string commandLine_;
};

// A plain character search, as the command line is read: no switch parsing.
bool ContainsLetter(const std::string& text, char lower);

}  // namespace ossen
