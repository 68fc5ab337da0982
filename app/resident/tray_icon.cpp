#include "app/resident/tray_icon.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QStyleHints>

#include "book/app_icon.h"
#include "book/program_strings.h"
#include "platform/base/trace.h"
#include "platform/win32/module.h"
#include "res/program/program_resources.h"

namespace ossen {
namespace {

// Counts a click's handling for as long as it runs.
class Activation {
 public:
  explicit Activation(int& count) : count_(count) { ++count_; }
  ~Activation() { --count_; }
  Activation(const Activation&) = delete;
  Activation& operator=(const Activation&) = delete;

 private:
  int& count_;
};

}  // namespace

std::vector<MenuItem> LoadTrayMenuItems() {
  std::vector<MenuItem> items;
  const HRSRC found = FindResource(nullptr, kMenuTray, RT_MENU);
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, found)));
  if (bytes != nullptr) items = ParseMenuResource(bytes, SizeofResource(nullptr, found));
  if (items.empty()) items = {{kCommandProperties, "Properties"}, {0, ""}, {kCommandExit, "Exit"}};
  return items;
}

TrayIcon::TrayIcon(CommandHandler command, ShowHandler show, QObject* parent)
    : QObject(parent), command_(std::move(command)), show_(std::move(show)) {
  clickTimer_.setSingleShot(true);
  connect(&clickTimer_, &QTimer::timeout, this, &TrayIcon::OpenMenu);
}

TrayIcon::~TrayIcon() { Remove(); }

bool TrayIcon::Add() {
  if (icon_) return true;
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    Trace("tray: no notification area, running without the icon");
    return false;
  }
  icon_ = std::make_unique<QSystemTrayIcon>(LoadAppIcon());
  // The tip holds 64 characters at most, as the notification-icon record does.
  icon_->setToolTip(QString::fromLatin1(ProgramString(kStringAppTitle).substr(0, 63).c_str()));
  connect(icon_.get(), &QSystemTrayIcon::activated, this, &TrayIcon::OnActivated);
  icon_->show();
  return true;
}

void TrayIcon::Remove() {
  if (!icon_) return;
  icon_->hide();
  icon_.reset();
}

bool TrayIcon::ShowNotice(const std::string& text) {
  if (!icon_) return false;
  icon_->showMessage(QString::fromLatin1(ProgramString(kStringAppTitle).c_str()), QString::fromLatin1(text.c_str()),
                     QSystemTrayIcon::Warning);
  return true;
}

std::unique_ptr<QMenu> TrayIcon::BuildMenu() const {
  auto menu = std::make_unique<QMenu>();
  for (const MenuItem& item : LoadTrayMenuItems()) {
    if (item.IsSeparator()) {
      menu->addSeparator();
    } else {
      QAction* action = menu->addAction(QString::fromLatin1(item.text.c_str()));
      action->setData(item.command);
    }
  }
  return menu;
}

void TrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
  const Activation activation(activations_);
  switch (reason) {
    case QSystemTrayIcon::DoubleClick:
      ShowBook();
      return;
    case QSystemTrayIcon::Trigger:
      if (clickTimer_.isActive()) {
        ShowBook();  // the second click of a double click
      } else {
        clickTimer_.start(QGuiApplication::styleHints()->mouseDoubleClickInterval());
      }
      return;
    case QSystemTrayIcon::Context:
      clickTimer_.stop();
      OpenMenu();
      return;
    default:
      return;
  }
}

void TrayIcon::ShowBook() {
  clickTimer_.stop();
  if (show_) show_();
}

void TrayIcon::OpenMenu() {
  const Activation activation(activations_);
  // The menu lives for this click only.
  std::unique_ptr<QMenu> menu = BuildMenu();
  openMenu_ = menu.get();
  const QAction* chosen = menu->exec(QCursor::pos());
  openMenu_ = nullptr;
  if (chosen == nullptr || !command_) return;
  // Queued: the command (Exit among them) runs from the event loop, after the menu and
  // the icon's click have returned.
  const int id = chosen->data().toInt();
  QMetaObject::invokeMethod(
      this, [this, id] { command_(id); }, Qt::QueuedConnection);
}

void TrayIcon::CloseMenu() {
  if (openMenu_) openMenu_->close();
}

}  // namespace ossen
