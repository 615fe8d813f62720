// bench_ratio.h - a console reporter that also keeps each benchmark's time
// per iteration, so a program can print its ratios against a baseline
// measured in the same run. With repetitions the mean is kept.
#pragma once
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // CPU time by default: the machine may be shared and wall time is noisy.
  // Real time where the work happens on other threads (a GL driver's).
  explicit RatioReporter(bool real_time = false) : real_time_(real_time) {}

  std::map<std::string, double> seconds;  // by function name

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.iterations > 0 && (r.run_type == Run::RT_Iteration || r.aggregate_name == "mean"))
        seconds[r.run_name.function_name] = real_time_ ? r.GetAdjustedRealTime() : r.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }

  // ours / base, or a negative number when either is missing.
  double ratio(const char* ours, const char* base) const {
    auto a = seconds.find(ours), b = seconds.find(base);
    if (a == seconds.end() || b == seconds.end() || b->second <= 0) return -1;
    return a->second / b->second;
  }

 private:
  bool real_time_;
};
