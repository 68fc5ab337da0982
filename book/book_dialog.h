// The book window: the program's one main window, a fixed 640 x 480 dialog run modally
// for the whole life of the resident copy. Window messages arrive as Qt events and as
// one Command(id) dispatch, so the program's command ids stay visible.
//
// Its life: the constructor, the creation step (program folder, picture library), the
// initialisation steps (publish the handle, tray icon, schedule, timer, pictures), then
// the modal run until the Exit command destroys the window and runs the shut-down.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include <QBasicTimer>
#include <QBrush>
#include <QDialog>
#include <QFont>
#include <QIcon>

#include "gfx/dib_section_surface.h"
#include "gfx/graphics_context.h"
#include "platform/module.h"
#include "platform/window_commands.h"
#include "res/program/program_resources.h"
#include "schedule/clock.h"
#include "schedule/slot_list.h"
#include "theme/apply_engine.h"
#include "theme/scheduler_clock.h"

class QEventLoop;
class QMenu;

namespace ossen {

class TrayIcon;

// Commands of the tray menu and of the window's own small system menu.
inline constexpr int kSysCommandAbout = 16;
inline constexpr int kSysCommandMinimize = 0xF020;
inline constexpr int kSysCommandClose = 0xF060;

inline constexpr int kBookWidth = 640;
inline constexpr int kBookHeight = 480;
inline constexpr int kScheduleTimerId = 1;
inline constexpr int kScheduleTimerMs = 2000;
inline constexpr int kCommandPreview = 108;
inline constexpr int kCommandApply = 109;

enum BookPage { kCoverPage = 0, kContentPage = 1, kHelpPage = 2, kCreditPage = 3 };

class BookDialog : public QDialog, private ClockWindow, private ApplyHost {
 public:
  // Receives the window's handle once it can be addressed (0 when it cannot).
  using PublishWindowHandler = std::function<void(HWND window)>;

  BookDialog(QWidget* parent, bool startHidden);
  ~BookDialog() override;

  // The window's creation step: settles `programDir`, makes it the current directory and
  // loads "OssenDLL". -1 (after the message box) when the library cannot be loaded.
  int OnCreate();
  // The initialisation steps, in their order; `publish` is the application's PublishWindow.
  void InitBookWindow(const PublishWindowHandler& publish);
  // Creation, initialisation, then the modal run until the window is destroyed. Returns -1
  // when creation failed (the window never existed), else 0.
  int RunModal(const PublishWindowHandler& publish);

  // WM_COMMAND from the tray menu, another process or the window's own menus.
  void Command(int id);
  // WM_SYSCOMMAND: About (low four bits ignored), Minimize, Close.
  void OnSysCommand(int command);
  // WM_ENDSESSION: the schedule is saved, nothing else.
  void OnEndSession();
  // WM_DESTROY: the shut-down sequence; the modal run returns afterwards.
  void DestroyWindow();
  bool IsDestroyed() const { return destroyed_; }

  void ShowBook();
  void HideBook();
  void PlaceWindow();
  void LoadPictures();
  void FreePictures();
  void ShowPage(int page, const QRect& rect);

  // The small menu that stands in for the system menu (Alt+Space, right click).
  std::unique_ptr<QMenu> BuildSystemMenu();

  SlotList& Slots() { return slotList_; }
  TrayIcon* Tray() const { return trayIcon_.get(); }
  Surface* BackBuffer() const { return backBuffer.get(); }
  Surface* BookImage() const { return bookImage.get(); }
  bool ScheduleTimerRunning() const { return scheduleTimer_.isActive(); }

  // The schedule's side of the window (book_schedule.cpp). Timer 1 runs the clock; the
  // Preview and Apply commands and the clock run the apply engine.
  void OnScheduleTimer();
  void ApplySlot(int index) override;
  void PreviewCurrentSlot();
  // Where the clock takes the current time from (tests set their own).
  void UseClock(const Clock& clock) { schedulerClock_.UseClock(clock); }

  // The book window's rows and fields: a pending date or time edit written into the
  // current slot, the fields refilled for the current slot, the rows redrawn, the focus
  // given to the Content button, the Random switch.
  int CommitSlotEdit();
  void SelectSlot();
  void DrawSlotPage();
  void FocusContentButton() override;
  bool IsRandomTicked() const override;

  // Fields shared with the schedule and page code.
  std::int32_t currentPage = kContentPage;
  std::string programDir;
  std::int32_t pageSlot = 0;
  std::int32_t pageStart = 0;
  std::int32_t timerOn = 0;
  std::int32_t startHidden = 0;
  HMODULE resourceLibrary = nullptr;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 public:
  // The dialog's own OK and Cancel do nothing: Enter and Escape never end or hide it.
  void accept() override {}
  void reject() override {}

 private:
  // What the clock and the engine ask of the window.
  void CommitPendingEdit() override;
  void MakeSlotCurrent(int index) override;
  bool AskApplyNow(const SlotRecord& slot) override;
  void RedrawRows() override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  void ShowMessage(const char* text) override;
  ApplyInputs EngineInputs() const;

  void PopUpSystemMenu(const QPoint& globalPos);

  QIcon appIcon_;
  QFont smallFont_;
  QFont largeFont_;
  QBrush controlBrush_;
  SlotList slotList_;
  SystemClock clock_;
  SchedulerClock schedulerClock_{slotList_, clock_, *this};
  // Declared before the surfaces: they are released before the context that lists them.
  std::unique_ptr<GraphicsContext> graphicsContext_;
  SurfaceRef<DibSectionSurface> backBuffer;
  SurfaceRef<DibSectionSurface> bookImage;
  SurfaceRef<DibSectionSurface> previewImage;
  SurfaceRef<DibSectionSurface> titleImage;
  SurfaceRef<DibSectionSurface> credits1Image;
  SurfaceRef<DibSectionSurface> credits2Image;
  std::unique_ptr<TrayIcon> trayIcon_;
  std::unique_ptr<CommandReceiver> commandReceiver_;
  QBasicTimer scheduleTimer_;
  QEventLoop* modalLoop_ = nullptr;
  bool slotsLoaded_ = false;  // the list holds the schedule, so saving it is safe
  bool destroyed_ = false;
  bool painted_ = false;
};

}  // namespace ossen
