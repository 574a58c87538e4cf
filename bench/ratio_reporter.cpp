#include "ratio_reporter.h"

#include <cstdio>

namespace tvn::bench {

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs)
    if (run.run_type == Run::RT_Iteration && run.iterations > 0)
      nanosecondsPerIteration_[run.benchmark_name()] =
          run.GetAdjustedRealTime() * (run.time_unit == benchmark::kNanosecond    ? 1.0
                                       : run.time_unit == benchmark::kMicrosecond ? 1e3
                                       : run.time_unit == benchmark::kMillisecond ? 1e6
                                                                                  : 1e9);
  ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::Finalize() {
  ConsoleReporter::Finalize();
  std::printf("\n%-48s %14s %14s %10s\n", "operation", "baseline ns", "indexed ns", "speed-up");
  for (const auto& [name, indexed] : nanosecondsPerIteration_) {
    if (name.rfind("Indexed_", 0) != 0) continue;
    const auto baseline = nanosecondsPerIteration_.find("Baseline_" + name.substr(8));
    if (baseline == nanosecondsPerIteration_.end()) continue;
    std::printf("%-48s %14.1f %14.1f %9.0fx\n", name.substr(8).c_str(), baseline->second, indexed,
                baseline->second / indexed);
  }
}

int RunWithRatios(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace tvn::bench
