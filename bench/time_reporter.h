// A console reporter that also keeps each run's real time per iteration
// (in the benchmark's unit) by the benchmark's function name, so that a
// benchmark program can print its ratio against the peer after the runs.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace eng::bench {

class TimeReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration) seconds[r.run_name.function_name] = r.GetAdjustedRealTime();
  }
  std::map<std::string, double> seconds;
};

}  // namespace eng::bench
