// Sizes at a scale factor: the screen, a window's client area and its pixels are measured in
// device pixels, so a picture made for them reaches the screen one pixel for one.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/draw/screen_window.h"
#include "platform/win32/desktop_settings.h"
#include "test_support/child_process.h"

namespace ossen {
namespace {

// 32-bit words from a child: what it wrote before it ended, 0 for what it never wrote.
class WordPipe {
 public:
  WordPipe() {
    if (::pipe(fds_) != 0) fds_[0] = fds_[1] = -1;
  }
  ~WordPipe() {
    for (const int fd : fds_)
      if (fd >= 0) ::close(fd);
  }
  void Send(std::uint32_t word) const { (void)!::write(fds_[1], &word, sizeof word); }
  void CloseSender() {
    ::close(fds_[1]);
    fds_[1] = -1;
  }
  std::uint32_t Receive() const {
    std::uint32_t word = 0;
    return ::read(fds_[0], &word, sizeof word) == static_cast<ssize_t>(sizeof word) ? word : 0;
  }

 private:
  int fds_[2] = {-1, -1};
};

// In a child on Qt's offscreen screen at `scale`: sends the screen's width and height as
// GetSystemMetrics gives them, then the client size of a window covering that screen. The
// exit code numbers the first step that failed.
int ReportSizes(const char* scale, const WordPipe& sizes) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::setenv("QT_SCALE_FACTOR", scale, 1);
  if (!OpenDisplay()) return 10;
  SetScreenSizeOverride(0, 0);
  sizes.Send(GetSystemMetrics(SM_CXSCREEN));
  sizes.Send(GetSystemMetrics(SM_CYSCREEN));
  std::unique_ptr<ScreenWindow> window = ScreenWindow::Create(320, 240, 0, "sizes");
  if (!window) return 11;
  if (window->ClientWidth() != 320 || window->ClientHeight() != 240) return 12;  // as asked, in device pixels
  window->Show();
  if (!window->CoverScreen()) return 13;
  ProcessDisplayEvents(200);
  sizes.Send(window->ScreenWidth());
  sizes.Send(window->ClientWidth());
  sizes.Send(window->ClientHeight());
  return 0;
}

std::vector<std::uint32_t> SizesAt(const char* scale) {
  WordPipe pipe;
  const pid_t child = testing::StartInChild([&] { return ReportSizes(scale, pipe); });
  pipe.CloseSender();
  std::vector<std::uint32_t> sizes;
  for (int i = 0; i < 5; ++i) sizes.push_back(pipe.Receive());
  EXPECT_EQ(testing::ExitCodeOf(child), 0) << "at scale " << scale;
  return sizes;
}

TEST(ScreenWindowTest, SizesAreDevicePixelsAtAnyScaleFactor) {
  const std::vector<std::uint32_t> plain = SizesAt("1");
  ASSERT_GT(plain[0], 0u);
  EXPECT_EQ(plain[2], plain[0]) << "the screen as the window reports it";
  EXPECT_EQ(plain[3], plain[0]) << "a covering window's client area is the screen";
  EXPECT_EQ(plain[4], plain[1]);
  EXPECT_EQ(SizesAt("2"), plain) << "a scale factor of 2 changes none of the sizes";
}

}  // namespace
}  // namespace ossen
