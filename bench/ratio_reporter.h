// A console reporter that also prints, after the runs, how many times faster
// each benchmark is than its baseline. A baseline is the benchmark of the same
// name with the prefix "Baseline_" in place of "Indexed_".
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace tvn::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

 private:
  std::map<std::string, double> nanosecondsPerIteration_;
};

// Runs the registered benchmarks with the ratio report; the body of main().
int RunWithRatios(int argc, char** argv);

}  // namespace tvn::bench
