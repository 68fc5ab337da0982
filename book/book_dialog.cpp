#include "book/book_dialog.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>

#include "book/about_box.h"
#include "book/app_icon.h"
#include "book/intro_window.h"
#include "book/message_box.h"
#include "book/option_box.h"
#include "book/program_strings.h"
#include "image/packed_dib.h"
#include "platform/base/trace.h"
#include "platform/win32/module.h"

namespace ossen {

BookDialog::BookDialog(BookHost& host, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      appIcon_(LoadAppIcon()),
      host_(host) {
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

void BookDialog::OpenIntro() {
  SetIntroEnabled(1);
  ShowIntro(this);
  DiscoverDateFormat();

  controlBrush_ = QBrush(QColor(255, 255, 0));
  largeFont_ = smallFont_;
  largeFont_.setPixelSize(12);

  setWindowTitle(QString::fromLatin1(ProgramString(kStringAppTitle).c_str()));
  move(0, 0);
}

void BookDialog::InitialisePages(bool hidden) {
  CheckBox(kBoxSound, true);
  CheckBox(kBoxTimer, host_.TimerOn());

  graphicsContext_ = GraphicsContext::Create();
  if (graphicsContext_) graphicsContext_->Init(nullptr, this, 0);
  cursor_ = PageCursor{};
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
  if (!hidden) ShowPage(cursor_.Page(), QRect(0, 0, kBookWidth, kBookHeight));
  PlaceWindow();
  // A hidden start stays hidden until Properties: its pictures wait, as after a close.
  if (hidden) {
    FreePictures();
    EmptyWorkingSet();
  }
}

void BookDialog::Command(int id) {
  Trace("command %d", id);
  switch (id) {
    case kCommandCover:
    case kCommandContent:
    case kCommandHelp:
    case kCommandCredit:
    case kCommandClose:
      TabCommand(id);
      break;
    case kCommandPreview:
      host_.PreviewSlot(cursor_.Index());
      break;
    case kCommandApply:
      host_.ApplySlot(cursor_.Index());
      break;
    case kCommandSet1:
    case kCommandSet1 + 1:
    case kCommandSet3:
      FocusContentButton();
      cursor_.ShowSet(id - kCommandSet1);
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

bool BookDialog::AskYesNo(const char* text) { return AppYesNoBox(text, &question_); }

void BookDialog::ShowMessage(const char* text) { AppMessageBox(this, text); }

void BookDialog::ReleaseDrawing() {
  SetCurrentPalette(nullptr);
  smallFont_ = QFont();
  largeFont_ = QFont();
  controlBrush_ = QBrush();
  FreePictures();
  DestroyButtons();
  backBuffer = {};
  graphicsContext_.reset();
}

void BookDialog::CloseForGood() {
  destroyed_ = true;
  // An About box still open would keep its own loop, and so the process, running.
  for (QDialog* child : findChildren<QDialog*>()) child->reject();
  // The question belongs to no window: closed here, it answers No.
  if (question_) question_->reject();
  hide();
}

void BookDialog::ShowBook() {
  if (destroyed_) return;
  PlaceWindow();
  if (!isVisible()) LoadPictures();
  ShowPage(cursor_.Page(), QRect(0, 0, kBookWidth, kBookHeight));
  show();
  raise();
  activateWindow();
}

void BookDialog::HideBook() {
  FocusContentButton();  // an edit in progress is saved with the schedule
  FreePictures();
  host_.SaveSchedule();
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

}  // namespace ossen
