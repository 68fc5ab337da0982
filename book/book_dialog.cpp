#include "book/book_dialog.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QTimerEvent>

#include "book/about_box.h"
#include "book/app_icon.h"
#include "book/message_box.h"
#include "book/program_strings.h"
#include "book/surface_image.h"
#include "book/tray_icon.h"
#include "gfx/dib_image.h"
#include "image/packed_dib.h"
#include "platform/paths.h"
#include "platform/registry_helpers.h"
#include "platform/trace.h"
#include "schedule/slot_store.h"

namespace ossen {
namespace {

constexpr char kPictureLibraryName[] = "OssenDLL";
constexpr char kPictureResourceType[] = "BIN";

// A page picture of the program's own module, decompressed into a section surface. The
// surface is made even when the picture is missing or undecodable: it is then empty.
SurfaceRef<DibSectionSurface> LoadPagePicture(const char* name) {
  SurfaceRef<DibSectionSurface> section = DibSectionSurface::New();
  SurfaceRef<DibImage> loaded = DibImage::New();
  if (section && loaded && loaded->Load(name, kLoadFromResource, nullptr, kPictureResourceType, nullptr, nullptr) == 0) {
    loaded->Decompress();
    section->CopyFrom(loaded.get());
  }
  return section;
}

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
}

BookDialog::~BookDialog() = default;

int BookDialog::OnCreate() {
  char buffer[MAX_PATH] = "";
  GetCurrentDirectory(MAX_PATH, buffer);
  programDir = buffer;

  char sourcePath[MAX_PATH] = "";
  RegReadString(HKEY_LOCAL_MACHINE, kSetupKeyPath, kSourcePathValue, sourcePath, sizeof sourcePath);
  if (sourcePath[0] != '\0') programDir = sourcePath;
  // Exactly one trailing backslash, whatever the installer wrote.
  while (programDir.size() > 1 && programDir.back() == '\\' && programDir[programDir.size() - 2] == '\\') {
    programDir.pop_back();
  }
  if (!programDir.empty() && programDir.back() != '\\') programDir += '\\';
  SetCurrentDirectory(programDir.c_str());

  resourceLibrary = LoadLibrary(kPictureLibraryName);
  if (resourceLibrary == nullptr) {
    AppMessageBox(nullptr, "Fail to OssenDLL.");
    return -1;
  }
  return 0;
}

void BookDialog::InitBookWindow(const PublishWindowHandler& publish) {
  commandReceiver_ = CommandReceiver::Create([this](WORD id) { Command(id); });
  if (publish) publish(commandReceiver_ ? commandReceiver_->handle() : 0);

  controlBrush_ = QBrush(QColor(255, 255, 0));
  smallFont_ = QFont(QStringLiteral("Sans Serif"));
  smallFont_.setPixelSize(10);
  largeFont_ = smallFont_;
  largeFont_.setPixelSize(12);

  setWindowTitle(QString::fromLatin1(ProgramString(kStringAppTitle).c_str()));
  move(0, 0);

  trayIcon_ = std::make_unique<TrayIcon>([this](int id) { Command(id); }, [this] { ShowBook(); });
  trayIcon_->Add();
  timerOn = 1;
  LoadSlots(slotList_, clock_);
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
  ShowPage(currentPage, QRect(0, 0, kBookWidth, kBookHeight));
  scheduleTimer_.start(kScheduleTimerMs, this);
  PlaceWindow();
  // A hidden start stays hidden until Properties: its pictures wait, as after a close.
  if (startHidden) FreePictures();
  Trace("book window ready%s", startHidden ? " (hidden)" : "");
}

int BookDialog::RunModal(const PublishWindowHandler& publish) {
  if (OnCreate() != 0) return -1;
  InitBookWindow(publish);
  setModal(true);
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
    case kCommandPreview:
      PreviewCurrentSlot();
      break;
    case kCommandApply:
      ApplySlot(pageStart + pageSlot);
      break;
    default:
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
    smallFont_ = QFont();
    largeFont_ = QFont();
    controlBrush_ = QBrush();
    FreePictures();
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
  FreePictures();
  if (slotsLoaded_) SaveSlots(slotList_);
  hide();
  Trace("book window hidden");
}

void BookDialog::PlaceWindow() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect screenRect = screen != nullptr ? screen->geometry() : QRect();
  if (screenRect.width() == kBookWidth && screenRect.height() == kBookHeight) {
    // The client area fills the screen; frame and caption lie off it.
    const QPoint clientCorner = geometry().topLeft();
    if (clientCorner != QPoint(0, 0)) move(pos() - clientCorner);
  } else {
    const QRect frame = frameGeometry();
    if (frame.left() < 0 || frame.top() < 0) move(0, 0);
  }
  if (width() != kBookWidth && height() != kBookHeight) resize(kBookWidth, kBookHeight);
}

void BookDialog::LoadPictures() {
  bookImage = LoadPagePicture("BOOK");
  titleImage = LoadPagePicture("TITLE");
  credits1Image = LoadPagePicture("CREDITS1");
  credits2Image = LoadPagePicture("CREDITS2");
  if (bookImage) bookImage->SetPalette(bookImage->GetPalette());
  previewImage = DibSectionSurface::New();
}

void BookDialog::FreePictures() {
  bookImage = {};
  titleImage = {};
  credits1Image = {};
  credits2Image = {};
  previewImage = {};
}

void BookDialog::ShowPage(int page, const QRect& rect) {
  if (backBuffer && bookImage && bookImage->format != 0) {
    backBuffer->BltTo(0, 0, kBookWidth, kBookHeight, bookImage.get(), 0, kBookHeight * page, kBookWidth, kBookHeight,
                      0, {});
  }
  update(rect);
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

void BookDialog::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QImage page = ImageFromSurface(backBuffer.get());
  if (page.isNull()) {
    painter.fillRect(rect(), Qt::black);
  } else {
    painter.drawImage(0, 0, page);
  }
  if (!painted_) {
    painted_ = true;
    Trace("first paint");
  }
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
