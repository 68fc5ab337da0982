// Runs a libFuzzer-style target without libFuzzer: every file of the folders named on
// the command line, then a fixed number of inputs made from them (truncations, bit
// flips, byte changes, splices) and of plain random bytes. The generator is seeded, so
// a failure repeats on every run.
//
//   target [--max-len N] [--runs N] [--seed N] folder...
//
// When an input crashes the target, it is written to "crash-input.bin" in the current
// folder, ready to be kept as a regression file.

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes* g_current = nullptr;

// Only async-signal-safe calls here: the process is going down.
void SaveCurrentInputAndDie(int signal) {
  if (g_current) {
    int fd = ::open("crash-input.bin", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      ssize_t written = ::write(fd, g_current->data(), g_current->size());
      (void)written;
      ::close(fd);
    }
    static const char kNote[] = "fuzz: the crashing input is in crash-input.bin\n";
    ssize_t noted = ::write(2, kNote, sizeof kNote - 1);
    (void)noted;
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void RunOne(const Bytes& input) {
  g_current = &input;
  // A fresh copy of exactly the input's size, so an overread lands outside it.
  std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[input.size() ? input.size() : 1]);
  if (!input.empty()) std::memcpy(copy.get(), input.data(), input.size());
  LLVMFuzzerTestOneInput(copy.get(), input.size());
  g_current = nullptr;
}

Bytes Mutate(const std::vector<Bytes>& seeds, std::mt19937& rng, std::size_t maxLen) {
  std::uniform_int_distribution<int> pick(0, 5);
  Bytes out;
  int kind = seeds.empty() ? 0 : pick(rng);
  if (kind == 0) {  // plain random bytes
    std::size_t n = std::uniform_int_distribution<std::size_t>(0, maxLen)(rng);
    out.resize(n);
    for (auto& b : out) b = static_cast<std::uint8_t>(rng());
    return out;
  }
  out = seeds[rng() % seeds.size()];
  int edits = 1 + static_cast<int>(rng() % 8);
  for (int e = 0; e < edits; ++e) {
    switch (kind) {
      case 1:  // truncate
        if (!out.empty()) out.resize(rng() % out.size());
        break;
      case 2:  // flip bits
        if (!out.empty()) out[rng() % out.size()] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        break;
      case 3:  // set a byte to an interesting value
        if (!out.empty()) {
          static const std::uint8_t values[] = {0, 1, 0x7f, 0x80, 0xff, '\n', '\r', '"', '\\', '[', ']', '='};
          out[rng() % out.size()] = values[rng() % sizeof values];
        }
        break;
      case 4: {  // splice with another seed
        const Bytes& other = seeds[rng() % seeds.size()];
        std::size_t cut = out.empty() ? 0 : rng() % out.size();
        std::size_t from = other.empty() ? 0 : rng() % other.size();
        out.resize(cut);
        out.insert(out.end(), other.begin() + static_cast<std::ptrdiff_t>(from), other.end());
        break;
      }
      default: {  // insert random bytes
        std::size_t at = out.empty() ? 0 : rng() % out.size();
        std::size_t n = 1 + rng() % 16;
        for (std::size_t i = 0; i < n; ++i) out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), static_cast<std::uint8_t>(rng()));
        break;
      }
    }
  }
  if (out.size() > maxLen) out.resize(maxLen);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  for (int signal : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL}) std::signal(signal, SaveCurrentInputAndDie);
  std::size_t maxLen = 4096;
  long runs = 1000;
  unsigned seed = 1;
  std::vector<Bytes> seeds;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--max-len" && i + 1 < argc) {
      maxLen = std::strtoul(argv[++i], nullptr, 10);
    } else if (arg == "--runs" && i + 1 < argc) {
      runs = std::strtol(argv[++i], nullptr, 10);
    } else if (arg == "--seed" && i + 1 < argc) {
      seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    } else {
      std::error_code ec;
      if (std::filesystem::is_regular_file(arg, ec)) {
        std::ifstream in(arg, std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        continue;
      }
      std::vector<std::filesystem::path> files;
      for (auto& entry : std::filesystem::directory_iterator(arg, ec))
        if (entry.is_regular_file()) files.push_back(entry.path());
      std::sort(files.begin(), files.end());
      for (auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      }
    }
  }
  for (const Bytes& s : seeds) RunOne(s);
  std::mt19937 rng(seed);
  for (long r = 0; r < runs; ++r) RunOne(Mutate(seeds, rng, maxLen));
  std::printf("fuzz: %zu stored inputs and %ld generated inputs ran clean\n", seeds.size(), runs);
  return 0;
}
