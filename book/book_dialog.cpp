#include "book/book_dialog.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QTimerEvent>

#include "book/about_box.h"
#include "book/app_icon.h"
#include "book/intro_window.h"
#include "book/option_box.h"
#include "book/message_box.h"
#include "book/program_strings.h"
#include "book/tray_icon.h"
#include "image/packed_dib.h"
#include "platform/win32/module.h"
#include "platform/win32/paths.h"
#include "platform/win32/registry_helpers.h"
#include "platform/base/trace.h"
#include "schedule/slot_store.h"
#include "product/product_names.h"

namespace ossen {
namespace {

using product::kPictureLibraryName;

}  // namespace

BookDialog::BookDialog(QWidget* parent, bool hidden)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      startHidden(hidden ? 1 : 0),
      appIcon_(LoadAppIcon()) {
  setWindowIcon(appIcon_);
  setFixedSize(kBookWidth, kBookHeight);
  // The back buffer covers the whole client area: nothing to erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  smallFont_ = QFont(QStringLiteral("DejaVu Sans"));
  smallFont_.setStyleHint(QFont::SansSerif, QFont::NoAntialias);
  smallFont_.setPixelSize(10);
  CreateControls();
}

BookDialog::~BookDialog() = default;

int BookDialog::OnCreate() {
  char buffer[MAX_PATH] = "";
  GetCurrentDirectory(MAX_PATH, buffer);
  programDir = buffer;

  const std::string sourceFolder = ReadSourcePathFolder();
  if (!sourceFolder.empty()) programDir = sourceFolder;
  programDir = WithOneTrailingBackslash(programDir);
  SetCurrentDirectory(programDir.c_str());

  resourceLibrary = LoadLibrary(kPictureLibraryName);
  if (resourceLibrary == nullptr) {
    AppMessageBox(nullptr, "Fail to OssenDLL.");
    return -1;
  }
  return 0;
}

void BookDialog::InitBookWindow(const PublishWindowHandler& publish) {
  desktop_ = MakeDesktopBackendForSession();
  commandReceiver_ = CommandReceiver::Create([this](WORD id) { Command(id); });
  if (publish) publish(commandReceiver_ ? commandReceiver_->handle() : 0);
  SetIntroEnabled(1);
  ShowIntro(this);
  DiscoverDateFormat();

  controlBrush_ = QBrush(QColor(255, 255, 0));
  largeFont_ = smallFont_;
  largeFont_.setPixelSize(12);

  setWindowTitle(QString::fromLatin1(ProgramString(kStringAppTitle).c_str()));
  move(0, 0);

  trayIcon_ = std::make_unique<TrayIcon>([this](int id) { Command(id); }, [this] { ShowBook(); });
  trayIcon_->Add();
  timerOn = 1;
  CheckBox(kBoxSound, true);
  CheckBox(kBoxTimer, timerOn != 0);
  LoadSlots(slotList_, clock_, LibrarySlotCatalogue(resourceLibrary));
  slotsLoaded_ = true;

  graphicsContext_ = GraphicsContext::Create();
  if (graphicsContext_) graphicsContext_->Init(nullptr, this, 0);
  currentPage = kContentPage;
  pageSlot = 0;
  pageStart = 0;
  LoadPictures();

  backBuffer = DibSectionSurface::New();
  if (backBuffer) {
    backBuffer->CreateBlank(kBookWidth, kBookHeight, kFormatIndexed8);
    if (bookImage) backBuffer->SetPalette(bookImage->GetPalette());
  }
  SetIntroEnabled(0);
  // The window palette is the back buffer's own: changing one changes both.
  SetCurrentPalette(backBuffer ? backBuffer->GetPalette() : nullptr);
  CreateButtons();
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    boxes_[i]->setGeometry(kCheckBoxPlaces[i].x, kCheckBoxPlaces[i].y, kCheckBoxWidth, kCheckBoxHeight);
  }
  if (!startHidden) ShowPage(currentPage, QRect(0, 0, kBookWidth, kBookHeight));
  scheduleTimer_.start(kScheduleTimerMs, this);
  PlaceWindow();
  // A hidden start stays hidden until Properties: its pictures wait, as after a close.
  if (startHidden) {
    FreePictures();
    EmptyWorkingSet();
  }
  Trace("book window ready%s", startHidden ? " (hidden)" : "");
}

int BookDialog::RunModal(const PublishWindowHandler& publish) {
  if (OnCreate() != 0) return -1;
  InitBookWindow(publish);
  // Modal to no other window: an application-modal window would swallow the tray icon's clicks.
  setWindowModality(Qt::WindowModal);
  if (!startHidden) show();
  if (destroyed_) return 0;
  // The first look at the schedule comes as soon as the run starts, not a timer period
  // later: a slot missed while the program was not running is asked about at once.
  QTimer::singleShot(0, this, [this] { OnScheduleTimer(); });
  QEventLoop loop;
  modalLoop_ = &loop;
  loop.exec(QEventLoop::DialogExec);
  modalLoop_ = nullptr;
  return 0;
}

void BookDialog::Command(int id) {
  Trace("command %d", id);
  switch (id) {
    case kCommandProperties:
      ShowBook();
      break;
    case kCommandExit:
      FreePictures();
      DestroyWindow();
      break;
    case kCommandCover:
    case kCommandContent:
    case kCommandHelp:
    case kCommandCredit:
    case kCommandClose:
      TabCommand(id);
      break;
    case kCommandPreview:
      PreviewCurrentSlot();
      break;
    case kCommandApply:
      ApplySlot(pageStart + pageSlot);
      break;
    case kCommandSet1:
    case kCommandSet1 + 1:
    case kCommandSet3:
      FocusContentButton();
      pageStart = kSlotsPerPage * (id - kCommandSet1);
      DrawSlotPage();
      break;
    case kCommandCredit1:
    case kCommandCredit2:
      DrawCreditPage(id);
      break;
    case kCommandHelp1:
    case kCommandHelp2:
      DrawHelpPage(id);
      break;
    default:
      if ((id >= kCommandSaver && id <= kCommandTimer) || (id >= kBoxSaver && id <= kBoxTimer)) OptionCommand(id);
      break;
  }
}

void BookDialog::OnSysCommand(int command) {
  if ((command & ~0xF) == kSysCommandAbout) {
    AboutBox box(this);
    box.exec();
  } else if ((command & ~0xF) == kSysCommandMinimize) {
    showMinimized();
  } else if ((command & ~0xF) == kSysCommandClose) {
    close();
  }
}

void BookDialog::OnEndSession() {
  // Before the schedule is loaded (a session ending during the start) and after the
  // shut-down the list is empty: saving it then would wipe the saved schedule.
  if (!slotsLoaded_) return;
  Trace("session end: saving the schedule");
  SaveSlots(slotList_);
}

void BookDialog::DestroyWindow() {
  if (destroyed_) return;
  destroyed_ = true;
  if (resourceLibrary != nullptr) {
    FreeLibrary(resourceLibrary);
    resourceLibrary = nullptr;
    RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, "");
    SaveSlots(slotList_);
    SetCurrentPalette(nullptr);
    smallFont_ = QFont();
    largeFont_ = QFont();
    controlBrush_ = QBrush();
    FreePictures();
    DestroyButtons();
    backBuffer = {};
    graphicsContext_.reset();
    FreeSlots(slotList_);
    slotsLoaded_ = false;
    scheduleTimer_.stop();
    trayIcon_.reset();
  }
  commandReceiver_.reset();
  // An About box still open would keep its own loop, and so the process, running.
  for (QDialog* child : findChildren<QDialog*>()) child->reject();
  hide();
  Trace("book window destroyed");
  if (modalLoop_ != nullptr) modalLoop_->exit(0);
}

void BookDialog::ShowBook() {
  if (destroyed_) return;
  PlaceWindow();
  if (!isVisible()) LoadPictures();
  ShowPage(currentPage, QRect(0, 0, kBookWidth, kBookHeight));
  show();
  raise();
  activateWindow();
}

void BookDialog::HideBook() {
  FocusContentButton();  // an edit in progress is saved with the schedule
  FreePictures();
  if (slotsLoaded_) SaveSlots(slotList_);
  hide();
  EmptyWorkingSet();  // hidden, it waits in the tray for days: it holds no more than it needs
  Trace("book window hidden");
}

std::unique_ptr<QMenu> BookDialog::BuildSystemMenu() {
  auto menu = std::make_unique<QMenu>();
  menu->addAction(QStringLiteral("Minimize"))->setData(kSysCommandMinimize);
  menu->addAction(QStringLiteral("Close"))->setData(kSysCommandClose);
  const std::string about = ProgramString(kStringAbout);
  if (!about.empty()) {
    menu->addSeparator();
    menu->addAction(QString::fromLatin1(about.c_str()))->setData(kSysCommandAbout);
  }
  return menu;
}

void BookDialog::PopUpSystemMenu(const QPoint& globalPos) {
  std::unique_ptr<QMenu> menu = BuildSystemMenu();
  const QAction* chosen = menu->exec(globalPos);
  if (chosen != nullptr) OnSysCommand(chosen->data().toInt());
}

void BookDialog::closeEvent(QCloseEvent* event) {
  // Closing never ends the program: the window only hides.
  event->ignore();
  if (!destroyed_) HideBook();
}

void BookDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && (event->modifiers() & Qt::AltModifier)) {
    PopUpSystemMenu(mapToGlobal(QPoint(0, 0)));
    return;
  }
  QDialog::keyPressEvent(event);
}

void BookDialog::contextMenuEvent(QContextMenuEvent* event) { PopUpSystemMenu(event->globalPos()); }

void BookDialog::timerEvent(QTimerEvent* event) {
  if (event->timerId() == scheduleTimer_.timerId()) {
    OnScheduleTimer();
    return;
  }
  QDialog::timerEvent(event);
}

}  // namespace ossen
