// The resident program's life: creation, initialisation, the event loop, the commands, the
// saves and the shut-down.
#include "app/resident/resident_program.h"

#include <QEventLoop>
#include <QTimer>
#include <QTimerEvent>

#include "app/resident/tray_icon.h"
#include "book/book_dialog.h"
#include "book/message_box.h"
#include "platform/base/trace.h"
#include "platform/win32/paths.h"
#include "platform/win32/registry_helpers.h"
#include "product/product_names.h"
#include "schedule/catalogue.h"
#include "schedule/slot_store.h"

namespace ossen {

ResidentProgram::ResidentProgram(bool startHidden)
    : startHidden_(startHidden), book_(std::make_unique<BookDialog>(static_cast<BookHost&>(*this))) {}

ResidentProgram::~ResidentProgram() = default;

int ResidentProgram::Create() {
  char buffer[MAX_PATH] = "";
  GetCurrentDirectory(MAX_PATH, buffer);
  programDir_ = buffer;

  const std::string sourceFolder = ReadSourcePathFolder();
  if (!sourceFolder.empty()) programDir_ = sourceFolder;
  programDir_ = WithOneTrailingBackslash(programDir_);
  SetCurrentDirectory(programDir_.c_str());

  library_ = LoadLibrary(product::kPictureLibraryName);
  if (library_ == nullptr) {
    AppMessageBox(nullptr, "Fail to OssenDLL.");
    return kCreateFailed;
  }
  return kCreated;
}

void ResidentProgram::Initialise(const PublishWindowHandler& publish) {
  desktop_ = MakeDesktopBackendForSession();
  commandReceiver_ = CommandReceiver::Create([this](WORD id) { Command(id); });
  if (publish) publish(commandReceiver_ ? commandReceiver_->handle() : 0);
  book_->OpenIntro();

  trayIcon_ = std::make_unique<TrayIcon>([this](int id) { Command(id); }, [this] { ShowBook(); });
  trayIcon_->Add();
  // Every start begins with the clock on, whatever the Timer value last written says.
  timerOn_ = true;
  scheduleUnreadable_ = LoadSlots(slotList_, clock_, LibrarySlotCatalogue(library_)) == SlotSource::kUnreadable;
  slotsLoaded_ = true;

  book_->InitialisePages(startHidden_);
  scheduleTimer_.start(kScheduleTimerMs, this);
  Trace("book window ready%s", startHidden_ ? " (hidden)" : "");
}

int ResidentProgram::Run(const PublishWindowHandler& publish) {
  if (Create() == kCreateFailed) return kCreateFailed;
  Initialise(publish);
  // Modal to no other window: an application-modal window would swallow the tray icon's clicks.
  book_->setWindowModality(Qt::WindowModal);
  if (!startHidden_) book_->show();
  if (scheduleUnreadable_) {
    const std::string text = std::string("The schedule ") + product::kScheduleFile +
                             " cannot be read. ossen shows the default schedule and does not save it over the file.";
    if (startHidden_) {
      Trace("%s", text.c_str());
    } else {
      book_->ShowMessage(text.c_str());
    }
  }
  if (shutDown_) return kCreated;
  // The first look at the schedule comes as soon as the run starts, not a timer period
  // later: a slot missed while the program was not running is asked about at once.
  QTimer::singleShot(0, this, [this] { OnScheduleTimer(); });
  QEventLoop loop;
  eventLoop_ = &loop;
  loop.exec(QEventLoop::DialogExec);
  eventLoop_ = nullptr;
  // Every handler has returned: an icon whose click was running at the shut-down goes now.
  retiredTrayIcon_.reset();
  return kCreated;
}

void ResidentProgram::Command(int id) {
  switch (id) {
    case product::kCommandProperties:
      Trace("command %d", id);
      ShowBook();
      break;
    case product::kCommandExit:
      Trace("command %d", id);
      book_->FreePictures();
      ShutDown();
      break;
    default:
      book_->Command(id);
      break;
  }
}

void ResidentProgram::ShowBook() {
  if (!shutDown_) book_->ShowBook();
}

bool ResidentProgram::SaveIfSafe() {
  // Before the schedule is loaded (a session ending during the start) and after the
  // shut-down the list is empty: saving it then would wipe the saved schedule. Over a file
  // that could not be read it would replace what may be the person's own schedule.
  if (!slotsLoaded_) return false;
  if (scheduleUnreadable_) {
    Trace("the schedule file could not be read at the start: it is not saved over");
    return false;
  }
  return SaveSlots(slotList_);
}

void ResidentProgram::SaveSchedule() { SaveIfSafe(); }

void ResidentProgram::OnEndSession() {
  if (!slotsLoaded_) return;
  Trace("session end: saving the schedule");
  book_->CommitTypedEdit();
  SaveIfSafe();
}

void ResidentProgram::ShutDown() {
  if (shutDown_) return;
  shutDown_ = true;
  if (library_ != nullptr) {
    FreeLibrary(library_);
    library_ = nullptr;
    RegWriteString(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValue, "");
    book_->CommitTypedEdit();
    const bool saved = SaveIfSafe();
    if (shutDownSave_) shutDownSave_(saved);
    book_->ReleaseDrawing();
    FreeSlots(slotList_);
    slotsLoaded_ = false;
    scheduleTimer_.stop();
    RemoveTrayIcon();
  }
  commandReceiver_.reset();
  book_->CloseForGood();
  Trace("book window destroyed");
  if (eventLoop_ != nullptr) eventLoop_->exit(0);
}

void ResidentProgram::RemoveTrayIcon() {
  if (!trayIcon_) return;
  if (!trayIcon_->InUse()) {
    trayIcon_.reset();
    return;
  }
  // Exit came from elsewhere while the icon's click runs (its menu open): the menu closes,
  // and the icon goes once that click has returned, when the event loop does.
  trayIcon_->CloseMenu();
  retiredTrayIcon_ = std::move(trayIcon_);
}

void ResidentProgram::timerEvent(QTimerEvent* event) {
  if (event->timerId() == scheduleTimer_.timerId()) {
    OnScheduleTimer();
    return;
  }
  QObject::timerEvent(event);
}

}  // namespace ossen
