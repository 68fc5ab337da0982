// The book window: the program's one main window, a fixed 640 x 480 dialog run modally
// for the whole life of the resident copy. Window messages arrive as Qt events and as
// one Command(id) dispatch, so the program's command ids stay visible.
//
// Its life: the constructor, the creation step (program folder, picture library), the
// initialisation steps (publish the handle, tray icon, schedule, timer, pictures), then
// the modal run until the Exit command destroys the window and runs the shut-down.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <QBasicTimer>
#include <QBrush>
#include <QDialog>
#include <QFont>
#include <QIcon>
#include <QImage>

#include "gfx/dib_section_surface.h"
#include "gfx/graphics_context.h"
#include "platform/win32/module.h"
#include "platform/win32/window_commands.h"
#include "res/program/program_resources.h"
#include "schedule/clock.h"
#include "schedule/slot_list.h"
#include "engine/apply_engine.h"
#include "engine/scheduler_clock.h"

class QEventLoop;
class QMenu;
class QMouseEvent;
class QPainter;

namespace ossen {

class OptionBox;
class PictureButton;
class SlotField;
class TrayIcon;

// Commands of the tray menu and of the window's own small system menu.
inline constexpr int kSysCommandAbout = 16;
inline constexpr int kSysCommandMinimize = 0xF020;
inline constexpr int kSysCommandClose = 0xF060;

inline constexpr int kBookWidth = 640;
inline constexpr int kBookHeight = 480;
inline constexpr int kScheduleTimerId = 1;
inline constexpr int kScheduleTimerMs = 2000;

enum BookPage { kCoverPage = 0, kContentPage = 1, kHelpPage = 2, kCreditPage = 3 };

// Command ids of the bitmap buttons (103 + their index) and the controls of the window.
inline constexpr int kFirstButtonCommand = 103;
inline constexpr int kCommandCover = 103;
inline constexpr int kCommandContent = 104;
inline constexpr int kCommandHelp = 105;
inline constexpr int kCommandCredit = 106;
inline constexpr int kCommandClose = 107;
inline constexpr int kCommandPreview = 108;
inline constexpr int kCommandApply = 109;
inline constexpr int kCommandSaver = 110;
inline constexpr int kCommandWallpaper = 111;
inline constexpr int kCommandStartup = 112;
inline constexpr int kCommandSound = 113;
inline constexpr int kCommandRandom = 114;
inline constexpr int kCommandTimer = 115;
inline constexpr int kCommandSet1 = 116;
inline constexpr int kCommandSet3 = 118;
inline constexpr int kCommandCredit1 = 119;
inline constexpr int kCommandCredit2 = 120;
inline constexpr int kCommandHelp1 = 121;
inline constexpr int kCommandHelp2 = 122;
inline constexpr int kBoxSaver = 1001;
inline constexpr int kBoxWallpaper = 1002;
inline constexpr int kBoxStartup = 1003;
inline constexpr int kBoxSound = 1004;
inline constexpr int kBoxRandom = 1005;
inline constexpr int kBoxTimer = 1006;
inline constexpr int kFieldDate = 1011;
inline constexpr int kFieldTime = 1012;
inline constexpr int kFieldName = 1013;
// A word button's command plus this is its check box.
inline constexpr int kButtonToBox = 891;

inline constexpr int kSlotsPerPage = 12;
// The last list position, where "Windows Default" sorts: it has no date or time field.
inline constexpr int kLastSlotIndex = 35;

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
  Surface* PagePicture(SurfaceRef<DibSectionSurface>& picture, const char* name);
  void FreePictures();
  // Draws a whole page into the back buffer, shows its controls and invalidates `rect`.
  void ShowPage(int page, const QRect& rect);

  // The Content page, also driven by the schedule's clock: redraw the twelve rows of the
  // current set; show the current slot (`pageStart` + `pageSlot`) without redrawing the
  // rows; commit what the date and time fields hold (1 after a refused date, else 0).
  void DrawSlotPage();
  void SelectSlot();
  int CommitSlotEdit();
  // Moves the keyboard focus to the Content tab, so an edit in progress is committed.
  void FocusContentButton() override;
  bool IsRandomTicked() const override;

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
  void mousePressEvent(QMouseEvent* event) override;
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

  // Pages (book_pages.cpp).
  void TabCommand(int id);
  void ShowPicture(Surface* picture, int x, int y, int width, int height);
  void DrawHelpPage(int id);
  void DrawCreditPage(int id);
  void ShowPageControls(int page);
  COLORREF BookTextColour() const;
  Palette* SetCurrentPalette(Palette* palette);
  int RealizeWindowPalette();

  // Buttons and check boxes (book_controls.cpp).
  void CreateControls();
  void CreateSlotFields();
  void CreateButtons();
  void DestroyButtons();
  void OptionCommand(int id);
  void SwitchChanged(int box, bool ticked);
  void ToggleElementOfCurrentSlot(int bit);
  void WriteConfigDword(const char* name, DWORD value);
  bool IsBoxChecked(int box) const;
  void CheckBox(int box, bool checked);

  // Rows and preview (slot_page.cpp).
  void ShowCurrentSlot(int index);
  void EmptyCurrentSlot();
  void PlaceFields();
  void ClickSlotRow(const QPoint& point);
  int LoadPictureColours(Surface* surface);
  void FormatSlotMoment(std::int64_t dueTime, std::string& dateText, std::string& timeText) const;
  void PaintPreview(QPainter& painter);

  // Date editor (slot_edit.cpp).
  void DiscoverDateFormat();

  QIcon appIcon_;
  QFont smallFont_;
  QFont largeFont_;
  // The same two faces for the text drawn into the back buffer.
  Font smallDcFont_{-10, FW_NORMAL, false, VARIABLE_PITCH | FF_SWISS, ""};
  Font largeDcFont_{-12, FW_NORMAL, false, VARIABLE_PITCH | FF_SWISS, ""};
  QBrush controlBrush_;
  SlotList slotList_;
  SystemClock clock_;
  SchedulerClock schedulerClock_{slotList_, clock_, *this};
  // Declared before the surfaces: they are released before the context that lists them.
  std::unique_ptr<GraphicsContext> graphicsContext_;
  SurfaceRef<DibSectionSurface> backBuffer;
  SurfaceRef<DibSectionSurface> bookImage;
  SurfaceRef<DibSectionSurface> previewImage;
  SurfaceRef<DibSectionSurface> titleImage;  // these three: see PagePicture
  SurfaceRef<DibSectionSurface> credits1Image;
  SurfaceRef<DibSectionSurface> credits2Image;
  std::unique_ptr<TrayIcon> trayIcon_;
  std::unique_ptr<CommandReceiver> commandReceiver_;
  // The session's desktop, chosen once: the engine shows each wallpaper on it.
  std::unique_ptr<DesktopBackend> desktop_;
  QBasicTimer scheduleTimer_;
  QEventLoop* modalLoop_ = nullptr;
  bool slotsLoaded_ = false;  // the list holds the schedule, so saving it is safe
  bool destroyed_ = false;
  bool painted_ = false;

  Palette* currentPalette_ = nullptr;
  std::array<PictureButton*, kButtonCount> buttons_{};
  std::array<OptionBox*, 6> boxes_{};
  SlotField* nameField_ = nullptr;
  SlotField* dateField_ = nullptr;
  SlotField* timeField_ = nullptr;
  std::string previewCaption;
  QImage previewShown_;  // the preview as the frame shows it, 169 x 115
  // The user's short date picture and its separator, for showing and reading dates.
  std::string dateFormat = "M//d//yy";
  char dateSeparator = '/';
  // Set while the fields are refilled or the focus is moved on purpose: nothing commits.
  bool fieldsQuiet_ = false;
  bool committing_ = false;
};

}  // namespace ossen
