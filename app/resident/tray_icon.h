// The notification-area icon of the resident program: icon 128, the application title as
// tip, and menu 129 ("Properties", separator, "Exit") on a left or right click; a double
// click shows the book window.
//
// A left click waits one double-click interval before it opens the menu: an open menu would
// take the second click of a double click for itself, and trays that speak
// StatusNotifierItem report no double click at all, only two clicks. A second left click
// within the interval is the double click. A right click opens the menu at once.
//
// The menu's choice runs once the click that opened the menu has been handled to its end:
// Exit destroys the icon, and neither the icon nor its menu may go while their own event
// handlers still run.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

#include "res/program/menu_resource.h"

class QMenu;

namespace ossen {

// The items of menu 129; the built-in "Properties" / "Exit" pair when the resource is
// missing or cannot be read.
std::vector<MenuItem> LoadTrayMenuItems();

class TrayIcon : public QObject {
 public:
  using CommandHandler = std::function<void(int id)>;
  using ShowHandler = std::function<void()>;

  // `command` receives the menu's chosen command; `show` runs on a double click.
  TrayIcon(CommandHandler command, ShowHandler show, QObject* parent = nullptr);
  ~TrayIcon() override;

  // Shows the icon; false (and nothing shown) when the desktop has no notification area.
  bool Add();
  void Remove();
  bool IsAdded() const { return icon_ != nullptr; }
  // A message from the icon (a warning, with the application title); false without the icon.
  bool ShowNotice(const std::string& text);

  // The click handling, open to tests: a right click opens the menu, a left click opens it
  // after the double-click interval unless a second click (or a double click) comes first,
  // which shows the book window instead.
  void OnActivated(QSystemTrayIcon::ActivationReason reason);
  // True while a left click waits to see whether a second one follows.
  bool ClickPending() const { return clickTimer_.isActive(); }
  // Builds the menu of menu 129 (items carry their command id as data).
  std::unique_ptr<QMenu> BuildMenu() const;
  // True while a click is being handled (the menu may be open): the icon must not be
  // destroyed now, only once the handling has returned.
  bool InUse() const { return activations_ > 0; }
  // Closes the menu if it is open; its run returns without a choice.
  void CloseMenu();

 private:
  // Runs the menu at the cursor; its choice arrives as an ordinary command.
  void OpenMenu();
  void ShowBook();

  CommandHandler command_;
  ShowHandler show_;
  std::unique_ptr<QSystemTrayIcon> icon_;
  QTimer clickTimer_;
  QPointer<QMenu> openMenu_;
  int activations_ = 0;
};

}  // namespace ossen
