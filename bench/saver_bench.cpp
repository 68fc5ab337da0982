// Start-up of the screen saver against the least a Qt program does to show the same JPEG full
// screen (saver_peer), both on one X server of their own: the time from starting the process
// until the screen shows the painting, corner and centre. Reports the fastest run of each
// and the ratio.
//   saver_bench [runs]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/module.h"
#include "platform/win32/paths.h"
#include "platform/win32/registry_helpers.h"
#include "saver/painting_library.h"
#include "saver/test/x_screen.h"
#include "test_support/xvfb_display.h"

namespace {

using Clock = std::chrono::steady_clock;
using ossen::testing::Rgb;

constexpr int kWidth = 1280;
constexpr int kHeight = 960;  // 4:3 like the paintings, and a scaling step for both
constexpr int kPainting = 12;

struct Probe {
  int x, y, size;
  Rgb expected;
};

Rgb MeanOfPainting(ossen::DibSectionSurface* painting, const Probe& probe) {
  const double scale = static_cast<double>(painting->Width()) / kWidth;
  Rgb mean;
  int count = 0;
  for (int py = static_cast<int>(probe.y * scale); py < static_cast<int>((probe.y + probe.size) * scale); ++py) {
    for (int px = static_cast<int>(probe.x * scale); px < static_cast<int>((probe.x + probe.size) * scale); ++px) {
      const ossen::DWORD pixel = painting->GetPixel(px, py);
      mean.red += (pixel >> 16) & 0xFF;
      mean.green += (pixel >> 8) & 0xFF;
      mean.blue += pixel & 0xFF;
      ++count;
    }
  }
  return Rgb{mean.red / count, mean.green / count, mean.blue / count};
}

// Milliseconds from the start of `argv` until every probe shows its colour; -1 when it never did.
double TimeToPicture(ossen::testing::XScreen& screen, const std::vector<std::string>& argv,
                     const std::vector<Probe>& probes) {
  screen.WhiteDesktop();
  screen.WarpPointerTo(kWidth / 2, kHeight / 2);
  const auto started = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  double elapsed = -1;
  while (Clock::now() - started < std::chrono::seconds(10)) {
    bool all = true;
    for (const Probe& probe : probes) {
      if (ossen::testing::Distance(screen.Mean(screen.root(), probe.x, probe.y, probe.size, probe.size),
                                   probe.expected) > 12) {
        all = false;
        break;
      }
    }
    if (all) {
      elapsed = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  // The server takes the window away on its own time: the next run starts on a white desktop.
  const auto gone = Clock::now();
  while (Clock::now() - gone < std::chrono::seconds(5) &&
         ossen::testing::Distance(screen.Mean(screen.root(), kWidth / 2 - 12, kHeight / 2 - 12, 24, 24),
                                  Rgb{255, 255, 255}) > 1) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  ossen::testing::XvfbDisplay server(kWidth, kHeight, 24);
  if (!server.Running()) {
    std::fprintf(stderr, "saver_bench: Xvfb did not start\n");
    return 1;
  }
  setenv("DISPLAY", server.Display().c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  char root[] = "/tmp/ossen-saver-bench-XXXXXX";
  if (!mkdtemp(root)) return 1;
  setenv("OSSEN_PREFIX", (std::string(root) + "/prefix").c_str(), 1);
  setenv("HOME", root, 1);
  setenv("XDG_RUNTIME_DIR", root, 1);
  ossen::RegWriteDword(ossen::HKEY_CURRENT_USER, ossen::kConfigKeyPath, ossen::kPrevValue, kPainting);

  // The peer reads the same JPEG bytes from a file.
  const ossen::PaintingLibrary library =
      ossen::PaintingLibrary::OpenFile(ossen::WinPathFromHost(OSSEN_PICTURE_LIBRARY_FILE).c_str());
  ossen::SurfaceRef<ossen::DibSectionSurface> painting = library.LoadPainting(kPainting);
  const ossen::HMODULE module = ossen::LoadLibrary(ossen::WinPathFromHost(OSSEN_PICTURE_LIBRARY_FILE).c_str());
  const ossen::HRSRC jpeg = ossen::FindResource(module, "A12", "BIN");
  const std::string jpegPath = std::string(root) + "/painting.jpg";
  {
    std::ofstream out(jpegPath, std::ios::binary);
    out.write(static_cast<const char*>(ossen::LockResource(ossen::LoadResource(module, jpeg))),
              static_cast<std::streamsize>(ossen::SizeofResource(module, jpeg)));
  }
  if (!painting || !ossen::SizeofResource(module, jpeg)) {
    std::fprintf(stderr, "saver_bench: painting %d is not in the library\n", kPainting);
    return 1;
  }
  std::vector<Probe> probes{{0, 0, 24, {}}, {kWidth / 2 - 12, kHeight / 2 - 12, 24, {}},
                            {kWidth - 24, kHeight - 24, 24, {}}};
  for (Probe& probe : probes) probe.expected = MeanOfPainting(painting.get(), probe);

  ossen::testing::XScreen screen(server.Display());
  std::vector<double> saver;
  std::vector<double> peer;
  for (int run = 0; run < runs; ++run) {
    saver.push_back(TimeToPicture(screen, {OSSEN_SAVER, "-s"}, probes));
    peer.push_back(TimeToPicture(screen, {OSSEN_SAVER_PEER, jpegPath}, probes));
  }
  if (!std::getenv("SAVER_BENCH_KEEP")) std::filesystem::remove_all(root);
  else std::printf("kept %s\n", root);
  const auto fastest = [](std::vector<double> times) {
    times.erase(std::remove(times.begin(), times.end(), -1.0), times.end());
    return times.empty() ? -1.0 : *std::min_element(times.begin(), times.end());
  };
  const auto median = [](std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
  };
  const double saverBest = fastest(saver);
  const double peerBest = fastest(peer);
  std::printf("start to the first full frame, %d x %d, painting %d, %d runs each\n", kWidth, kHeight, kPainting, runs);
  std::printf("  ossen.scr -s   fastest %8.1f ms   median %8.1f ms\n", saverBest, median(saver));
  std::printf("  Qt peer        fastest %8.1f ms   median %8.1f ms\n", peerBest, median(peer));
  if (saverBest < 0 || peerBest < 0) {
    std::printf("  a program never showed the painting\n");
    return 1;
  }
  std::printf("  ratio %.2f (target at most 1.5)\n", saverBest / peerBest);
  return 0;
}
