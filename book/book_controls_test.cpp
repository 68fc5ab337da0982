// The bitmap buttons, the option check boxes and the switches behind them, through the
// real window offscreen.
#include <QAbstractButton>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include "book/bitmap_resource.h"
#include "book/intro_window.h"
#include "book/test/open_book.h"
#include "platform/win32/registry.h"
#include "platform/win32/registry_helpers.h"

namespace ossen {
namespace {

using testing::OpenBook;

// A REG_DWORD under the Config key; -1 when it is absent.
long long ConfigDword(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, kConfigKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  const LONG result = RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && type == REG_DWORD ? static_cast<long long>(value) : -1;
}

bool Ticked(OpenBook& open, int box) { return static_cast<QAbstractButton*>(open.Control(box))->isChecked(); }

// A control as the window paints it (a button below another is partly covered on screen).
QImage Look(QWidget* control) { return control->grab().toImage().convertToFormat(QImage::Format_RGB32); }

QImage ButtonImage(const char* name) { return LoadBitmapResource(name).convertToFormat(QImage::Format_RGB32); }

TEST(BookControlsTest, ButtonsAndBoxesSitInTheirPlaces) {
  OpenBook open;
  for (int i = 0; i < kButtonCount; ++i) {
    const ButtonPlace& place = kButtonPlaces[i];
    QWidget* button = open.Control(kFirstButtonCommand + i);
    ASSERT_NE(button, nullptr) << place.caption;
    EXPECT_EQ(button->geometry(), QRect(place.x, place.y, place.width, place.height)) << place.caption;
    EXPECT_EQ(static_cast<QAbstractButton*>(button)->text().toStdString(), place.caption);
    // The hand, with its hot spot at the tip of the finger.
    EXPECT_EQ(button->cursor().shape(), Qt::BitmapCursor) << place.caption;
    EXPECT_EQ(button->cursor().hotSpot(), QPoint(4, 1)) << place.caption;
  }
  const QImage shown = open.Shown();
  for (const CheckBoxPlace& place : kCheckBoxPlaces) {
    QWidget* box = open.Control(place.id);
    ASSERT_NE(box, nullptr) << place.id;
    EXPECT_EQ(box->geometry(), QRect(place.x, place.y, 12, 16)) << place.id;
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(shown.pixel(place.x + 6, place.y), qRgb(255, 255, 0)) << "yellow ground of " << place.id;
  }
  // The window's own cursor elsewhere.
  EXPECT_NE(open.book().cursor().shape(), Qt::BitmapCursor);
  // The Content page shows the up images of its buttons.
  EXPECT_EQ(shown.copy(381, 242, 145, 53), ButtonImage("BTNPREVIEWU"));
  EXPECT_EQ(shown.copy(43, 7, 78, 41), ButtonImage("BTNCOVERU"));
}

TEST(BookControlsTest, APressedButtonShowsItsDownImageWhileHeld) {
  OpenBook open;
  QWidget* preview = open.Control(kCommandPreview);
  QTest::mousePress(preview, Qt::LeftButton, Qt::NoModifier, QPoint(70, 25));
  EXPECT_EQ(Look(preview), ButtonImage("BTNPREVIEWD"));
  // Released away from the button: the up image again, and no screen saver is started.
  QTest::mouseRelease(preview, Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
  EXPECT_EQ(Look(preview), ButtonImage("BTNPREVIEWU"));

  // A tab has no down image: held, it does not change (nor does the page).
  QWidget* cover = open.Control(kCommandCover);
  QTest::mousePress(cover, Qt::LeftButton, Qt::NoModifier, QPoint(30, 20));
  EXPECT_EQ(Look(cover), ButtonImage("BTNCOVERU"));
  QTest::mouseRelease(cover, Qt::LeftButton, Qt::NoModifier, QPoint(200, 200));  // released away
  EXPECT_EQ(open.book().Cursor().Page(), kContentPage);
}

TEST(BookControlsTest, ElementWordsAndBoxesFlipTheCurrentSlotsBits) {
  OpenBook open;
  const int slotId = open.Current()->slotId;
  ASSERT_EQ(open.Current()->elements, kAllElements);
  for (int word = kCommandSaver; word <= kCommandStartup; ++word) {
    const int box = word + kButtonToBox;
    const std::uint16_t bit = static_cast<std::uint16_t>(1 << (word - kCommandSaver));
    ASSERT_TRUE(Ticked(open, box));
    open.ClickControl(word);
    EXPECT_FALSE(Ticked(open, box)) << word;
    EXPECT_EQ(open.Current()->elements & bit, 0) << word;
    open.ClickControl(word);
    EXPECT_TRUE(Ticked(open, box)) << word;
    EXPECT_EQ(open.Current()->elements & bit, bit) << word;
    open.ClickControl(box);
    EXPECT_FALSE(Ticked(open, box)) << box;
    EXPECT_EQ(open.Current()->elements & bit, 0) << box;
  }
  EXPECT_EQ(open.Current()->elements, 0);
  EXPECT_EQ(open.Current()->slotId, slotId);

  // Another slot resets the boxes from its own bits; coming back shows the cleared ones.
  open.ClickRow(1);
  EXPECT_TRUE(Ticked(open, kBoxSaver));
  open.ClickRow(0);
  EXPECT_FALSE(Ticked(open, kBoxSaver));
}

TEST(BookControlsTest, WithoutACurrentSlotTheWordsFlipOnlyTheirBoxes) {
  OpenBook open;
  open.Slots().DeleteItem(35);
  open.ClickControl(kCommandSet3);
  open.ClickRow(11);
  ASSERT_EQ(open.Current(), nullptr);
  std::vector<std::uint16_t> before;
  for (int i = 0; i < open.Slots().Count(); ++i) before.push_back(open.Slots().ItemData(i)->elements);
  open.ClickControl(kCommandWallpaper);
  EXPECT_FALSE(Ticked(open, kBoxWallpaper));
  for (int i = 0; i < open.Slots().Count(); ++i) EXPECT_EQ(open.Slots().ItemData(i)->elements, before[i]);
  open.ClickRow(0);
  EXPECT_TRUE(Ticked(open, kBoxWallpaper));
}

TEST(BookControlsTest, SoundRandomAndTimerSwitches) {
  OpenBook open;
  BookDialog& book = open.book();
  EXPECT_TRUE(Ticked(open, kBoxSound));
  EXPECT_FALSE(Ticked(open, kBoxRandom));
  EXPECT_TRUE(Ticked(open, kBoxTimer));

  open.ClickControl(kBoxSound);  // the box off
  EXPECT_EQ(ConfigDword(kMuteValue), 1);
  open.ClickControl(kCommandSound);  // the word on
  EXPECT_TRUE(Ticked(open, kBoxSound));
  EXPECT_EQ(ConfigDword(kMuteValue), 0);

  open.ClickControl(kCommandTimer);
  EXPECT_FALSE(Ticked(open, kBoxTimer));
  EXPECT_FALSE(open.host().TimerOn());
  EXPECT_EQ(ConfigDword(kTimerValue), 0);
  open.ClickControl(kBoxTimer);
  EXPECT_TRUE(open.host().TimerOn());
  EXPECT_EQ(ConfigDword(kTimerValue), 1);

  open.ClickControl(kCommandRandom);
  EXPECT_TRUE(book.IsRandomTicked());
  open.ClickControl(kBoxRandom);
  EXPECT_FALSE(book.IsRandomTicked());
  EXPECT_EQ(ConfigDword("Random"), -1) << "Random is kept in the box only";
}

TEST(BookControlsTest, TheIntroShowsCentredInTheWorkAreaOnceAndGoesAfterASecond) {
  // An intro of an earlier window of this process goes first.
  QTRY_COMPARE_WITH_TIMEOUT(IntroWindow::Live(), static_cast<IntroWindow*>(nullptr), 3000);
  OpenBook open;
  IntroWindow* intro = IntroWindow::Live();
  ASSERT_NE(intro, nullptr);
  EXPECT_EQ(intro->size(), QSize(500, 375));
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_NEAR(intro->geometry().center().x(), area.center().x(), 1);
  EXPECT_NEAR(intro->geometry().center().y(), area.center().y(), 1);
  EXPECT_EQ(intro->grab().toImage().convertToFormat(QImage::Format_RGB32),
            LoadBitmapResource(kIntroResource).convertToFormat(QImage::Format_RGB32));
  // A second request while it shows, or after the initialisation, makes no other.
  ShowIntro(&open.book());
  EXPECT_EQ(IntroWindow::Live(), intro);
  QTRY_COMPARE_WITH_TIMEOUT(IntroWindow::Live(), static_cast<IntroWindow*>(nullptr), 3000);
  ShowIntro(&open.book());
  EXPECT_EQ(IntroWindow::Live(), nullptr);
}

}  // namespace
}  // namespace ossen
