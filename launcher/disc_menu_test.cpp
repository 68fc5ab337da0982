// The launcher's form and its buttons, offscreen, against programs that are shell scripts
// in a temporary prefix.
#include "launcher/disc_menu.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/win32/prefix.h"
#include "test_support/temp_prefix.h"

namespace discmenu {
namespace {

namespace fs = std::filesystem;

QApplication& App() {
  static int argc = 1;
  static char name[] = "disc_menu_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A program that writes its current folder and arguments into `record` and ends.
void WriteRecordingProgram(const fs::path& program, const fs::path& record) {
  fs::create_directories(program.parent_path());
  std::ofstream(program) << "#!/bin/sh\npwd > '" << record.string() << ".tmp'\necho \"$@\" >> '" << record.string()
                         << ".tmp'\nmv '" << record.string() << ".tmp' '" << record.string() << "'\n";
  fs::permissions(program, fs::perms::owner_all);
}

bool WaitForFile(const fs::path& path) {
  for (int i = 0; i < 250 && !fs::exists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return fs::exists(path);
}

class DiscMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    disc_ = fs::path(prefix_.root()) / "disc root";
    fs::create_directories(disc_);
    drive_ = DriveC();
  }
  static fs::path DriveC() { return ossen::DriveCDir(); }
  void WriteIni(const std::string& text) const { std::ofstream(drive_ / "WINDOWS" / "X7352.INI") << text; }

  bool appReady_ = (App(), true);  // before any widget
  ossen::testing::TempPrefix prefix_;
  fs::path disc_;
  fs::path drive_;
  std::vector<std::string> messages_;
  DiscMenu menu_{(fs::path(prefix_.root()) / "disc root").string(),
                 [this](const std::string& text) { messages_.push_back(text); }};
};

TEST_F(DiscMenuTest, TheFormIsLaidOutInTwipsWithItsCaptionAndBoldButtons) {
  EXPECT_EQ(menu_.windowTitle(), "Vintra Ossens Screen Savers");
  EXPECT_EQ(menu_.size(), QSize(499, 374));  // 7485 x 5610 twips
  EXPECT_EQ(menu_.pos(), QPoint(227, 159));  // 3405, 2385 twips
  const struct {
    QPushButton* button;
    const char* caption;
    int top;
  } expected[] = {{menu_.installButton(), "Install", 272}, {menu_.runButton(), "Run", 304}, {menu_.exitButton(), "Exit", 336}};
  for (const auto& e : expected) {
    EXPECT_EQ(e.button->text(), e.caption);
    EXPECT_EQ(e.button->geometry(), QRect(16, e.top, 57, 25)) << e.caption;  // 855 x 375 at 240 twips
    EXPECT_TRUE(e.button->font().bold());
  }
  EXPECT_FALSE(menu_.windowIcon().isNull());
}

TEST_F(DiscMenuTest, RunWithoutAnInstallationAsksToInstallFirstAndStartsNothing) {
  const fs::path record = fs::path(prefix_.root()) / "started";
  WriteRecordingProgram(drive_ / "Vintra" / "ossen", record);

  menu_.runButton()->click();  // no X7352.INI
  WriteIni("[X7352]\r\nLANG=en\r\n[Other]\r\nINSTALLDIR=C:\\Vintra\r\n");
  menu_.runButton()->click();  // the section has no INSTALLDIR of its own
  ASSERT_EQ(messages_.size(), 2u);
  for (const std::string& text : messages_)
    EXPECT_EQ(text, "In order to run Vintra Ossens Screen Savers, you should install first.");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(fs::exists(record));
  EXPECT_TRUE(menu_.runButton()->isEnabled());
}

TEST_F(DiscMenuTest, RunAsksToReinstallWhenTheFolderHoldsNoProgram) {
  fs::create_directories(drive_ / "Vintra");
  WriteIni("[X7352]\r\nINSTALLDIR=C:\\Vintra\r\n");
  menu_.runButton()->click();
  WriteIni("[X7352]\r\nINSTALLDIR=C:\\Nowhere\r\n");
  menu_.runButton()->click();
  ASSERT_EQ(messages_.size(), 2u);
  for (const std::string& text : messages_)
    EXPECT_EQ(text, "A problem was encountered while trying to load the application, please reinstall!");
}

TEST_F(DiscMenuTest, RunStartsTheProgramInAFolderWithBlanksWrittenAnyWay) {
  const fs::path folder = drive_ / "Program Files" / "Brantwell Software" / "Vintra Ossens Screen Savers";
  const fs::path record = fs::path(prefix_.root()) / "started";
  WriteRecordingProgram(folder / "ossen", record);
  // A program of the first word's name must not be started instead.
  WriteRecordingProgram(drive_ / "Program", fs::path(prefix_.root()) / "wrong");
  WriteIni("[Other]\r\nINSTALLDIR=C:\\Wrong\r\n[X7352]\r\n  INSTALLDIR = C:\\Program Files\\Brantwell Software\\"
           "Vintra Ossens Screen Savers\\ \r\n");
  menu_.runButton()->click();
  EXPECT_TRUE(messages_.empty());
  ASSERT_TRUE(WaitForFile(record));
  EXPECT_FALSE(fs::exists(fs::path(prefix_.root()) / "wrong"));
}

TEST_F(DiscMenuTest, InstallStartsTheDiscsSetupInTheDiscsFolder) {
  const fs::path record = fs::path(prefix_.root()) / "setup ran";
  WriteRecordingProgram(disc_ / "setup", record);  // "SETUP.EXE" finds it
  menu_.installButton()->click();
  EXPECT_TRUE(messages_.empty());
  ASSERT_TRUE(WaitForFile(record));
  EXPECT_EQ(ReadText(record), fs::canonical(disc_).string() + "\n\n");
  EXPECT_EQ(fs::current_path(), fs::canonical(disc_));
}

TEST_F(DiscMenuTest, InstallWithoutASetupOnTheDiscSaysSo) {
  menu_.installButton()->click();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].find("SETUP.EXE was not found"), std::string::npos) << messages_[0];
}

}  // namespace
}  // namespace discmenu
