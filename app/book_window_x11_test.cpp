// The book window as a person meets it: the real program on its own X server (Xvfb, with
// openbox as window manager), driven by xdotool and looked at through screenshots. Skips
// with a message when the X tools are missing.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <QImage>

#include <gtest/gtest.h>

#include "test_support/program_run.h"
#include "test_support/temp_prefix.h"

namespace ossen {
namespace {

using testing::ProgramRun;


bool HaveProgram(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// One child process, killed and reaped when the object goes.
class Child {
 public:
  Child() = default;
  explicit Child(pid_t pid) : pid_(pid) {}
  ~Child() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      int status = 0;
      waitpid(pid_, &status, 0);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

 private:
  pid_t pid_ = -1;
};

// An X server of its own: Xvfb names its display on a pipe (-displayfd), so tests that
// run side by side never share one.
std::unique_ptr<Child> StartXvfb(std::string& display) {
  int fds[2];
  if (pipe(fds) != 0) return nullptr;
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  auto child = std::make_unique<Child>(pid);
  std::string number;
  char c = 0;
  while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (number.empty()) return nullptr;
  display = ":" + number;
  return child;
}

std::unique_ptr<Child> StartDetached(const std::vector<std::string>& arguments) {
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return std::make_unique<Child>(pid);
}

// Runs a shell command on the test's display and returns what it printed.
std::string Shell(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  pclose(pipe);
  while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.pop_back();
  return output;
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class BookWindowX11Test : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "xdotool", "import", "openbox"}) {
      if (!HaveProgram(tool)) GTEST_SKIP() << tool << " is not installed (scripts/setup.sh installs it)";
    }
    xvfb_ = StartXvfb(display_);
    ASSERT_TRUE(xvfb_) << "Xvfb did not start";
    setenv("DISPLAY", display_.c_str(), 1);
    unsetenv("QT_QPA_PLATFORM");
    unsetenv("WAYLAND_DISPLAY");
    testing::UsePrivateSession(prefix_.root());
    setenv("OSSEN_TRACE", "1", 1);
    windowManager_ = StartDetached({"openbox", "--sm-disable"});
    Pause(500);
    std::filesystem::copy_file(OSSEN_PICTURE_LIBRARY_FILE, prefix_.programDir() + "/OssenDLL.rcc");
  }

  std::string Xdo(const std::string& arguments) { return Shell("xdotool " + arguments + " 2>/dev/null"); }

  // The client area of the book window, as a person sees it.
  QImage Shot(const std::string& window) {
    const std::string path = prefix_.root() + "/shot" + std::to_string(shots_++) + ".png";
    Shell("import -window " + window + " " + path + " 2>/dev/null");
    return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
  }

  void Click(const std::string& window, int x, int y) {
    Xdo("mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y) + " click 1");
    Pause(300);
  }

  ossen::testing::TempPrefix prefix_{ossen::testing::TempPrefix::ProgramFolder::kUserProgramFolder};
  std::string display_;
  std::unique_ptr<Child> xvfb_;
  std::unique_ptr<Child> windowManager_;
  int shots_ = 0;
};

TEST_F(BookWindowX11Test, APersonLeafsThroughTheBookAndMistypesADate) {
  ProgramRun ossen(OSSEN_PROGRAM, {}, prefix_.programDir(), prefix_.root() + "/ossen.log");
  ASSERT_TRUE(ossen.WaitForOutput("intro shown", 20000)) << ossen.Output();
  ASSERT_TRUE(ossen.WaitForOutput("intro closed", 10000)) << ossen.Output();
  ASSERT_TRUE(ossen.WaitForOutput("first paint", 10000)) << ossen.Output();
  Pause(500);
  EXPECT_EQ(Xdo("search --onlyvisible --name 'ossen intro'"), "") << "the intro is gone";

  const std::string window = Xdo("search --onlyvisible --name 'Vintra Ossens Screen Savers'");
  ASSERT_FALSE(window.empty()) << ossen.Output();
  ASSERT_EQ(window.find('\n'), std::string::npos) << "one book window";
  const QImage opening = Shot(window);
  ASSERT_EQ(opening.size(), QSize(640, 480));

  Click(window, 100, 132 + 24 * 4 + 8);  // row 5
  const QImage rowFive = Shot(window);
  EXPECT_NE(rowFive.copy(369, 93, 169, 160), opening.copy(369, 93, 169, 160)) << "preview and caption change";

  Click(window, 325, 262);  // Set3
  const QImage setThree = Shot(window);
  EXPECT_NE(setThree.copy(36, 132, 256, 307), rowFive.copy(36, 132, 256, 307)) << "the rows change";

  Click(window, 80, 27);  // Cover
  const QImage cover = Shot(window);
  EXPECT_NE(cover, setThree);
  Click(window, 400, 26);  // Help
  const QImage help = Shot(window);
  EXPECT_NE(help, cover);
  Click(window, 480, 27);  // Credit
  EXPECT_NE(Shot(window), help);
  Click(window, 198, 26);  // Content
  const QImage content = Shot(window);
  EXPECT_EQ(content.copy(36, 132, 256, 307), setThree.copy(36, 132, 256, 307)) << "set 3 still shows";

  // A date that cannot be: typed into the current row's date field, committed by a click
  // on the page. (Row 5 of set 3 is current.)
  Click(window, 200, 132 + 24 * 4 + 6);
  Xdo("key --clearmodifiers ctrl+a");
  Xdo("type --delay 20 '13/45/99'");
  Click(window, 600, 460);
  ASSERT_TRUE(ossen.WaitForOutput("message box: Invalid Date.", 5000)) << ossen.Output();
  Pause(500);
  const std::string boxes = Xdo("search --onlyvisible --name 'Vintra Ossens Screen Savers'");
  EXPECT_NE(boxes.find('\n'), std::string::npos) << "the message box shows beside the book";
  Xdo("key Return");
  Pause(500);

  // Apply at (457, 309): the current slot is applied and the wallpaper file appears.
  Click(window, 457, 309);
  bool applied = false;
  for (int wait = 0; wait < 50 && !applied; ++wait, Pause(100)) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(prefix_.root())) {
      if (entry.path().filename() == "ossen.bmp") applied = true;
    }
  }
  EXPECT_TRUE(applied) << "Apply wrote no ossen.bmp";

  ossen.Signal(SIGTERM);
  EXPECT_EQ(ossen.WaitForExit(10000), 0) << ossen.Output();
}

}  // namespace
}  // namespace ossen
