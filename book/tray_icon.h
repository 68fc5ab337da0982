// The notification-area icon of the resident program: icon 128, the application title as
// tip, and menu 129 ("Properties", separator, "Exit") on a left or right click.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QSystemTrayIcon>

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

  // The click handling, open to tests: opens the menu for a click, shows for a double one.
  void OnActivated(QSystemTrayIcon::ActivationReason reason);
  // Builds the menu of menu 129 (items carry their command id as data).
  std::unique_ptr<QMenu> BuildMenu() const;

 private:
  CommandHandler command_;
  ShowHandler show_;
  std::unique_ptr<QSystemTrayIcon> icon_;
};

}  // namespace ossen
