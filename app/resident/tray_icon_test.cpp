// The tray icon's clicks, offscreen: a left click opens the menu only once the double-click
// interval has passed without a second click; two clicks or a double click show the book.
#include "app/resident/tray_icon.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QStyleHints>
#include <QTimer>

#include <gtest/gtest.h>

#include "book/test/qt_app.h"
#include "res/program/program_resources.h"

namespace ossen {
namespace {

constexpr int kIntervalMs = 150;

class TrayClickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::TestApplication();
    oldInterval_ = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(kIntervalMs);
  }
  void TearDown() override { QGuiApplication::styleHints()->setMouseDoubleClickInterval(oldInterval_); }

  // Lets events and timers run for `ms`; a menu that opens meanwhile is recorded and then
  // either closed or, with `choose`, answered with its first item.
  void RunFor(int ms, bool choose = false) {
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      QWidget* popup = QApplication::activePopupWidget();
      if (popup == nullptr) return;
      ++menusOpened_;
      if (choose) {
        for (int key : {Qt::Key_Down, Qt::Key_Return}) {
          QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
          QApplication::sendEvent(popup, &press);
        }
      }
      popup->close();
    });
    watcher.start(10);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
  }

  int shown_ = 0;
  int menusOpened_ = 0;
  std::vector<int> commands_;
  TrayIcon tray_{[this](int id) { commands_.push_back(id); }, [this] { ++shown_; }};
  int oldInterval_ = 400;
};

TEST_F(TrayClickTest, TwoClicksWithinTheIntervalShowTheBookAndOpenNoMenu) {
  tray_.OnActivated(QSystemTrayIcon::Trigger);
  EXPECT_TRUE(tray_.ClickPending());
  EXPECT_EQ(menusOpened_, 0) << "the menu waits for the interval";
  tray_.OnActivated(QSystemTrayIcon::Trigger);
  EXPECT_EQ(shown_, 1);
  EXPECT_FALSE(tray_.ClickPending());
  RunFor(3 * kIntervalMs);
  EXPECT_EQ(menusOpened_, 0);

  // An X11 tray reports the second press as a double click.
  tray_.OnActivated(QSystemTrayIcon::Trigger);
  tray_.OnActivated(QSystemTrayIcon::DoubleClick);
  RunFor(3 * kIntervalMs);
  EXPECT_EQ(shown_, 2);
  EXPECT_EQ(menusOpened_, 0);
}

TEST_F(TrayClickTest, ASingleClickOpensTheMenuAfterTheIntervalAndItsChoiceIsACommand) {
  tray_.OnActivated(QSystemTrayIcon::Trigger);
  RunFor(kIntervalMs / 3);
  EXPECT_EQ(menusOpened_, 0);
  RunFor(3 * kIntervalMs, /*choose=*/true);
  EXPECT_EQ(menusOpened_, 1);
  EXPECT_EQ(shown_, 0);
  EXPECT_EQ(commands_, std::vector<int>{kCommandProperties});

  // Clicks far apart are two single clicks, not a double one.
  tray_.OnActivated(QSystemTrayIcon::Trigger);
  RunFor(3 * kIntervalMs);
  tray_.OnActivated(QSystemTrayIcon::Trigger);
  RunFor(3 * kIntervalMs);
  EXPECT_EQ(menusOpened_, 3);
  EXPECT_EQ(shown_, 0);
}

TEST_F(TrayClickTest, ARightClickOpensTheMenuAtOnceAndOtherButtonsDoNothing) {
  tray_.OnActivated(QSystemTrayIcon::Trigger);  // a pending left click is dropped by it
  QTimer::singleShot(0, [this] { RunFor(20); });
  tray_.OnActivated(QSystemTrayIcon::Context);
  EXPECT_EQ(menusOpened_, 1);
  EXPECT_FALSE(tray_.ClickPending());
  RunFor(3 * kIntervalMs);
  EXPECT_EQ(menusOpened_, 1);

  tray_.OnActivated(QSystemTrayIcon::MiddleClick);
  RunFor(3 * kIntervalMs);
  EXPECT_EQ(menusOpened_, 1);
  EXPECT_EQ(shown_, 0);
}

TEST_F(TrayClickTest, TheMenusChoiceRunsOnlyOnceTheClickHasReturned) {
  // Exit destroys the icon: done inside the click, the icon's own handler would return into
  // freed memory.
  QTimer::singleShot(0, [this] { RunFor(20, /*choose=*/true); });
  tray_.OnActivated(QSystemTrayIcon::Context);
  EXPECT_EQ(menusOpened_, 1);
  EXPECT_TRUE(commands_.empty()) << "the command ran inside the click";
  EXPECT_FALSE(tray_.InUse());
  RunFor(20);
  EXPECT_EQ(commands_, std::vector<int>{kCommandProperties});
}

TEST(TrayMenuTest, TrayMenuCarriesPropertiesAndExitAndADoubleClickShows) {
  testing::TestApplication();
  int shown = 0;
  TrayIcon tray([](int) {}, [&shown] { ++shown; });
  std::unique_ptr<QMenu> menu = tray.BuildMenu();
  const QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), 3);
  EXPECT_EQ(actions[0]->data().toInt(), kCommandProperties);
  EXPECT_TRUE(actions[1]->isSeparator());
  EXPECT_EQ(actions[2]->data().toInt(), kCommandExit);
  tray.OnActivated(QSystemTrayIcon::DoubleClick);
  EXPECT_EQ(shown, 1);
  tray.OnActivated(QSystemTrayIcon::MiddleClick);
  EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace ossen
