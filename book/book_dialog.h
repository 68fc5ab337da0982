// The book window: the program's one main window, a fixed 640 x 480 dialog shown by the
// resident program for its whole life. It draws the pages and takes the clicks; the
// schedule, the picture library and every save belong to the resident, reached through
// BookHost. Window messages arrive as Qt events and as one Command(id) dispatch, so the
// window's command ids stay visible.
//
// Its life: the constructor, the initialisation in two steps (the intro, then the pages
// once the resident has loaded the schedule), then shown and hidden until the resident's
// shut-down releases its drawing and closes it for good.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include <QBrush>
#include <QDialog>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPointer>

#include "book/book_host.h"
#include "book/page_cursor.h"
#include "gfx/dib_section_surface.h"
#include "gfx/graphics_context.h"
#include "res/program/program_resources.h"
#include "schedule/slot_list.h"

class QMenu;
class QMouseEvent;
class QPainter;

namespace ossen {

class OptionBox;
class PictureButton;
class SlotField;

// Commands of the window's own small system menu.
inline constexpr int kSysCommandAbout = 16;
inline constexpr int kSysCommandMinimize = 0xF020;
inline constexpr int kSysCommandClose = 0xF060;

inline constexpr int kBookWidth = 640;
inline constexpr int kBookHeight = 480;

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

// The last list position, where "Windows Default" sorts: it has no date or time field.
inline constexpr int kLastSlotIndex = 35;

// What LoadPictureColours answers: 0 when the picture's colours are in the window palette.
inline constexpr int kPictureColoursLoaded = 0;
inline constexpr int kPictureColoursFailed = 1;

class BookDialog : public QDialog {
 public:
  explicit BookDialog(BookHost& host, QWidget* parent = nullptr);
  ~BookDialog() override;

  // The initialisation, in two steps: the intro, the date picture, the fonts and the title;
  // then (once the host has loaded the schedule) the switches, the pictures, the back
  // buffer, the buttons and, unless the start is hidden, the Content page; a hidden start
  // frees its pictures again until Properties.
  void OpenIntro();
  void InitialisePages(bool hidden);

  // WM_COMMAND from the window's own controls and menus.
  void Command(int id);
  // WM_SYSCOMMAND: About (low four bits ignored), Minimize, Close.
  void OnSysCommand(int command);
  // The window's part of the shut-down: palette, fonts, pictures, buttons, back buffer.
  void ReleaseDrawing();
  // The end of the shut-down: an open box is closed, the window hides and never shows again.
  void CloseForGood();
  bool IsDestroyed() const { return destroyed_; }

  void ShowBook();
  void HideBook();
  void PlaceWindow();
  void LoadPictures();
  Surface* PagePicture(SurfaceRef<DibSectionSurface>& picture, const char* name);
  void FreePictures();
  // Draws a whole page into the back buffer, shows its controls and invalidates `rect`.
  void ShowPage(int page, const QRect& rect);

  // The Content page, also driven by the resident's clock: redraw the twelve rows of the
  // current set; show the current slot without redrawing the rows; commit what the date and
  // time fields hold (1 after a refused date, else 0); make list item `index` the current
  // slot (its set and row) and show it.
  void DrawSlotPage();
  void SelectSlot();
  int CommitSlotEdit();
  void MakeSlotCurrent(int index);
  // Moves the keyboard focus to the Content tab, so an edit in progress is committed.
  void FocusContentButton();
  // Exit and the session end: what the person typed and did not yet commit is committed as
  // Close commits it; a refused date is only traced (nobody may be there to read a box).
  void CommitTypedEdit();
  // True while a date or time is being typed and is not yet committed, or while the box
  // refusing one is open: the clock leaves the slots alone meanwhile.
  bool EditInProgress() const;
  bool IsRandomTicked() const;
  // The application's boxes, owned by this window: the Yes/No question (true for Yes) and
  // the message with its OK button.
  bool AskYesNo(const char* text);
  void ShowMessage(const char* text);

  // The small menu that stands in for the system menu (Alt+Space, right click).
  std::unique_ptr<QMenu> BuildSystemMenu();

  const PageCursor& Cursor() const { return cursor_; }
  Surface* BackBuffer() const { return backBuffer.get(); }
  Surface* BookImage() const { return bookImage.get(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 public:
  // The dialog's own OK and Cancel do nothing: Enter and Escape never end or hide it.
  void accept() override {}
  void reject() override {}

 private:
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
  BookHost& host_;
  PageCursor cursor_;
  // Declared before the surfaces: they are released before the context that lists them.
  std::unique_ptr<GraphicsContext> graphicsContext_;
  SurfaceRef<DibSectionSurface> backBuffer;
  SurfaceRef<DibSectionSurface> bookImage;
  SurfaceRef<DibSectionSurface> previewImage;
  SurfaceRef<DibSectionSurface> titleImage;  // these three: see PagePicture
  SurfaceRef<DibSectionSurface> credits1Image;
  SurfaceRef<DibSectionSurface> credits2Image;
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
  bool quietRefusal_ = false;  // a refused date goes to the trace, not to a box
  QPointer<QDialog> question_;  // the Yes/No question while it is open
};

}  // namespace ossen
