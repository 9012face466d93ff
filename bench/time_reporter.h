// A console reporter that also keeps each run's real time per iteration
// (in the benchmark's unit) by the benchmark's function name, so that a
// benchmark program can print its ratio against the peer after the runs.
// A benchmark run with repetitions is kept by its median.
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
    for (const Run& r : runs) {
      const std::string& name = r.run_name.function_name;
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
        seconds[name] = r.GetAdjustedRealTime();
        medians_[name] = true;
      } else if (r.run_type == Run::RT_Iteration && !medians_[name]) {
        seconds[name] = r.GetAdjustedRealTime();
      }
    }
  }
  std::map<std::string, double> seconds;

 private:
  std::map<std::string, bool> medians_;
};

}  // namespace eng::bench
