// Start-up of ossen against a minimal Qt Widgets dialog program, both started the same way
// (a fresh process, offscreen, in an installation folder of its own): the time from starting
// the process to its window's first paint, and its resident memory once it sits hidden.
//   startup_bench [runs] [picture library .rcc]   (default: the small stand-in library)
#include <fcntl.h>
#include <poll.h>
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
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

struct Sample {
  double milliseconds = -1;  // until the awaited line; < 0 when it never came
  long rssKb = 0;            // VmRSS when the line came
};

long ResidentKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}

// A prefix, program folder and home for one program, made once and kept for all its runs:
// the state of an installed program, whose first start made its prefix.
std::string MakeInstallation(const std::string& library) {
  char pattern[] = "/tmp/ossen-startup-XXXXXX";
  const char* made = mkdtemp(pattern);
  if (made == nullptr) return {};
  const std::string root = made;
  std::filesystem::create_directories(root + "/program");
  std::filesystem::create_directories(root + "/home/.config");
  std::filesystem::copy_file(library, root + "/program/OssenDLL.rcc");
  return root;
}

// Starts `program` in the installation `root`, waits for `line` on its standard error,
// waits `settleMs` more, samples its memory and ends it as a session end does.
Sample RunOnce(const std::string& root, const std::string& program, const std::vector<std::string>& arguments,
               const std::string& line, int settleMs) {
  const std::string programDir = root + "/program";
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {};
  const auto started = SteadyClock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeFds[1], STDERR_FILENO);
    close(pipeFds[0]);
    if (chdir(programDir.c_str()) != 0) _exit(126);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("OSSEN_TRACE", "1", 1);
    setenv("OSSEN_PREFIX", (root + "/prefix").c_str(), 1);
    setenv("HOME", (root + "/home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/home/.config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(pipeFds[1]);

  Sample sample;
  std::string output;
  const auto deadline = started + std::chrono::seconds(20);
  while (output.find(line) == std::string::npos && SteadyClock::now() < deadline) {
    pollfd readable{pipeFds[0], POLLIN, 0};
    if (poll(&readable, 1, 100) <= 0) continue;
    char buffer[4096];
    const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
    if (got <= 0) break;
    output.append(buffer, static_cast<std::size_t>(got));
  }
  if (output.find(line) != std::string::npos) {
    sample.milliseconds = std::chrono::duration<double, std::milli>(SteadyClock::now() - started).count();
    usleep(static_cast<useconds_t>(settleMs) * 1000);
    sample.rssKb = ResidentKb(pid);
  }
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  close(pipeFds[0]);
  return sample;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Fastest(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

// Every sample of one program; the machine is shared, so both the median and the fastest
// run are reported (the fastest is the one least disturbed by other work).
struct Samples {
  std::vector<double> paintMs;
  std::vector<double> readyRssKb;   // 300 ms after the window is ready, the intro still up
  std::vector<double> hiddenRssKb;  // once the start is over: nothing of it is on screen
};

// `startOver` is the line after which a hidden program has nothing left of its start on
// screen: ossen's intro closes a second after the window is ready; the peer has none.
void Measure(const std::string& root, const std::string& program, const char* startOver, int runs,
             Samples& into) {
  for (int i = 0; i < runs; ++i) {
    const Sample shown = RunOnce(root, program, {}, "first paint", 0);
    if (shown.milliseconds >= 0) into.paintMs.push_back(shown.milliseconds);
    const Sample ready = RunOnce(root, program, {"-h"}, "book window ready", 300);
    if (ready.rssKb > 0) into.readyRssKb.push_back(static_cast<double>(ready.rssKb));
    const Sample hidden = RunOnce(root, program, {"-h"}, startOver, 300);
    if (hidden.rssKb > 0) into.hiddenRssKb.push_back(static_cast<double>(hidden.rssKb));
  }
}

void PrintRow(const char* measure, const char* unit, double ossen, double peer, const char* target) {
  std::printf("%-34s %9.1f %-3s %9.1f %-3s %7.2fx %8s\n", measure, ossen, unit, peer, unit, ossen / peer, target);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(2, std::atoi(argv[1])) : 10;
  const std::string library = argc > 2 ? argv[2] : OSSEN_STAND_IN_LIBRARY;
  const std::string ossenRoot = MakeInstallation(library);
  const std::string peerRoot = MakeInstallation(library);
  if (ossenRoot.empty() || peerRoot.empty()) return 1;
  Samples ossen;
  Samples peer;
  Samples firstStarts;  // the starts that make the prefixes are not counted
  constexpr char kOssenStartOver[] = "intro closed";
  constexpr char kPeerStartOver[] = "book window ready";
  Measure(ossenRoot, OSSEN_PROGRAM, kOssenStartOver, 1, firstStarts);
  Measure(peerRoot, OSSEN_DIALOG_PEER, kPeerStartOver, 1, firstStarts);
  // Interleaved halves, so that neither program only ever runs on a warm or a cold cache.
  for (int half = 0; half < 2; ++half) {
    Measure(peerRoot, OSSEN_DIALOG_PEER, kPeerStartOver, runs / 2, peer);
    Measure(ossenRoot, OSSEN_PROGRAM, kOssenStartOver, runs / 2, ossen);
  }
  std::filesystem::remove_all(ossenRoot);
  std::filesystem::remove_all(peerRoot);
  if (ossen.paintMs.empty() || peer.paintMs.empty() || ossen.readyRssKb.empty() || peer.readyRssKb.empty() ||
      ossen.hiddenRssKb.empty() || peer.hiddenRssKb.empty()) {
    std::fprintf(stderr, "startup_bench: a program never reached its first paint or its hidden state\n");
    return 1;
  }
  std::printf("%-34s %13s %13s %8s %8s\n", "measure", "ossen", "Qt dialog", "ratio", "target");
  PrintRow("start to first paint, median", "ms", Median(ossen.paintMs), Median(peer.paintMs), "<= 2x");
  PrintRow("start to first paint, fastest", "ms", Fastest(ossen.paintMs), Fastest(peer.paintMs), "<= 2x");
  PrintRow("resident at ready + 300 ms, median", "KiB", Median(ossen.readyRssKb), Median(peer.readyRssKb), "");
  PrintRow("resident memory hidden, median", "KiB", Median(ossen.hiddenRssKb), Median(peer.hiddenRssKb), "<= 1.3x");
  return 0;
}
