// The resident program: what runs for the whole life of the copy that stays in the tray.
// It owns the schedule (the slot list and its file), the scheduler clock with its
// two-second timer, the tray icon, the command receiver that takes commands from other
// processes, the picture library, the program folder, the Run value and the Timer switch,
// and it saves the schedule whenever that is due: the book hides, Exit, the session ends.
//
// The book window is its view: the resident answers what the book asks (BookHost) and
// forwards to the book what only a window can do (the fields, the rows, the boxes).
//
// Its life: the creation step (program folder, picture library), the initialisation (the
// handle published, the book's intro, the tray icon, the schedule, the book's pages, the
// timer), the run of the event loop, and the shut-down that Exit starts.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include <QBasicTimer>
#include <QObject>

#include "book/book_host.h"
#include "desktop/desktop_backend.h"
#include "engine/apply_engine.h"
#include "engine/scheduler_clock.h"
#include "platform/win32/module.h"
#include "platform/win32/window_commands.h"
#include "schedule/clock.h"
#include "schedule/slot_list.h"

class QEventLoop;

namespace ossen {

class BookDialog;
class TrayIcon;

inline constexpr int kScheduleTimerId = 1;
inline constexpr int kScheduleTimerMs = 2000;

// What Create answers: -1 when the picture library cannot be loaded.
inline constexpr int kCreated = 0;
inline constexpr int kCreateFailed = -1;

class ResidentProgram : public QObject, private BookHost, private ClockWindow, private ApplyHost {
 public:
  // Receives the program's window handle once it can be addressed (0 when it cannot).
  using PublishWindowHandler = std::function<void(HWND window)>;
  // Told by the shut-down whether the schedule was saved (before Exit is answered).
  using ShutDownSaveHandler = std::function<void(bool saved)>;

  explicit ResidentProgram(bool startHidden);
  ~ResidentProgram() override;

  // The creation step: settles the program folder, makes it the current directory and
  // loads "OssenDLL". kCreateFailed (after the message box) when the library cannot be loaded.
  int Create();
  // The initialisation steps, in their order; `publish` is the application's PublishWindow.
  void Initialise(const PublishWindowHandler& publish);
  // Creation, initialisation, then the event loop until the shut-down. Returns
  // kCreateFailed when creation failed (the book was never shown), else kCreated.
  int Run(const PublishWindowHandler& publish);

  // A command from the tray menu or another process: Properties shows the book, Exit shuts
  // down; any other goes to the book.
  void Command(int id);
  void ShowBook();
  // WM_ENDSESSION: an edit still typed is committed and the schedule saved, nothing else.
  void OnEndSession();
  void OnShutDownSave(ShutDownSaveHandler handler) { shutDownSave_ = std::move(handler); }
  // The schedule file was there but could not be read: the default schedule stands in for
  // this run, and nothing is saved over the file.
  bool ScheduleUnreadable() const { return scheduleUnreadable_; }
  // WM_DESTROY: the shut-down sequence; the event loop returns afterwards.
  void ShutDown();
  bool IsShutDown() const { return shutDown_; }

  // Timer 1: one tick of the scheduler clock.
  void OnScheduleTimer();
  // Where the clock takes the current time from (tests set their own).
  void UseClock(const Clock& clock) { schedulerClock_.UseClock(clock); }
  // False while the clock is inside the handling of one slot (its question open).
  bool ClockIdle() const { return schedulerClock_.Idle(); }

  // What the book asks of the program.
  SlotList& Slots() override { return slotList_; }
  HMODULE PictureLibrary() const override { return library_; }
  std::int64_t Now() const override { return clock_.Now(); }
  bool TimerOn() const override { return timerOn_; }
  void SetTimerOn(bool on) override;
  void ApplySlot(int index) override;
  void PreviewSlot(int index) override;
  void SaveSchedule() override;

  BookDialog& Book() const { return *book_; }
  TrayIcon* Tray() const { return trayIcon_.get(); }
  const std::string& ProgramDir() const { return programDir_; }
  bool ScheduleTimerRunning() const { return scheduleTimer_.isActive(); }

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  // What the clock and the engine ask of the window, forwarded to the book.
  bool EditInProgress() const override;
  void CommitPendingEdit() override;
  void MakeSlotCurrent(int index) override;
  bool AskApplyNow(const SlotRecord& slot) override;
  void FocusContentButton() override;
  void RedrawRows() override;
  bool IsRandomTicked() const override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  void ShowMessage(const char* text) override;
  void ShowTrayNotice(const std::string& text) override;
  ApplyInputs EngineInputs() const;
  // Saves the schedule unless it is not loaded or must not replace an unreadable file.
  bool SaveIfSafe();
  // Takes the tray icon away at the shut-down, or after it when its click is still running.
  void RemoveTrayIcon();

  bool startHidden_;
  std::string programDir_;
  HMODULE library_ = nullptr;
  SlotList slotList_;
  bool slotsLoaded_ = false;  // the list holds the schedule, so saving it is safe
  bool scheduleUnreadable_ = false;
  ShutDownSaveHandler shutDownSave_;
  bool timerOn_ = false;
  SystemClock clock_;
  SchedulerClock schedulerClock_{slotList_, clock_, *this};
  QBasicTimer scheduleTimer_;
  std::unique_ptr<TrayIcon> trayIcon_;
  std::unique_ptr<TrayIcon> retiredTrayIcon_;  // shut down while its click ran
  std::unique_ptr<CommandReceiver> commandReceiver_;
  // The session's desktop, chosen once: the engine shows each wallpaper on it.
  std::unique_ptr<DesktopBackend> desktop_;
  QEventLoop* eventLoop_ = nullptr;
  bool shutDown_ = false;
  // Last: the view goes before what it shows.
  std::unique_ptr<BookDialog> book_;
};

}  // namespace ossen
