// What every benchmark program here shares: run the cases five times each, interleaved so
// that neither side of a comparison inherits the other's cache state, and keep the fastest
// CPU time of each case for the ratios the program prints.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace ossen::bench {

class FastestTimes : public benchmark::ConsoleReporter {
 public:
  FastestTimes() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const double seconds = run.GetAdjustedCPUTime();
      auto [it, added] = fastest_.emplace(run.run_name.function_name, seconds);
      if (!added && seconds < it->second) it->second = seconds;
    }
  }

  // time(a) / time(b), or 0 when either is missing.
  double Ratio(const std::string& a, const std::string& b) const {
    const auto ia = fastest_.find(a);
    const auto ib = fastest_.find(b);
    return ia == fastest_.end() || ib == fastest_.end() || ib->second == 0 ? 0 : ia->second / ib->second;
  }

 private:
  std::map<std::string, double> fastest_;
};

// The physical limit of a pass that reads `bytes` and writes as many: copying them.
inline void CopyWithMemcpy(benchmark::State& state, const std::vector<std::uint8_t>& bytes) {
  std::vector<std::uint8_t> out(bytes.size());
  for (auto _ : state) {
    std::memcpy(out.data(), bytes.data(), bytes.size());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
}

// Runs the registered benchmarks into `times`; flags on the command line override the
// defaults. False for arguments the library does not know.
inline bool RunRepeatedBenchmarks(int argc, char** argv, FastestTimes& times) {
  std::vector<char*> args = {argv[0]};
  static char repetitions[] = "--benchmark_repetitions=5";
  static char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.push_back(repetitions);
  args.push_back(interleave);
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return false;
  benchmark::RunSpecifiedBenchmarks(&times);
  benchmark::Shutdown();
  return true;
}

// The whole main of a benchmark program that compares: runs the cases, then hands their
// fastest times to `printRatios` under the common heading. 2 for unknown arguments.
template <class PrintRatios>
int RunAndPrintRatios(int argc, char** argv, PrintRatios printRatios) {
  FastestTimes times;
  if (!RunRepeatedBenchmarks(argc, argv, times)) return 2;
  std::printf("\nratios (fastest repetition of each, CPU time):\n");
  printRatios(times);
  return 0;
}

}  // namespace ossen::bench
