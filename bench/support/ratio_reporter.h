#pragma once
// A console reporter that also keeps the time of every benchmark, so that a benchmark binary can
// print, after the table, the ratios it was written to show.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace tuxia::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // CPU time is steadier than wall time on a shared machine; wall time counts waiting on a peer.
  enum class Clock { kCpu, kReal };
  explicit RatioReporter(Clock clock = Clock::kCpu) : clock_(clock) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      times_[Key(run)] =
          clock_ == Clock::kCpu ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // The median when the runs were repeated, else the one run; 0 when it did not run.
  [[nodiscard]] double Time(const std::string& name) const {
    for (const std::string& key : {name + "_median", name}) {
      const auto found = times_.find(key);
      if (found != times_.end()) return found->second;
    }
    return 0;
  }

  // Prints "label = ratio" when both benchmarks ran; gives the ratio, 0 when it could not.
  double PrintRatio(const std::string& label, const std::string& ours,
                    const std::string& base) const {
    const double a = Time(ours);
    const double b = Time(base);
    if (a <= 0 || b <= 0) return 0;
    std::printf("%s = %.2f\n", label.c_str(), a / b);
    return a / b;
  }

 private:
  // "BM_Name/args", with "_median" and the like for aggregates; settings such as repeats:7 left
  // out.
  static std::string Key(const Run& run) {
    std::string key = run.run_name.function_name;
    if (!run.run_name.args.empty()) key += "/" + run.run_name.args;
    if (run.run_type == Run::RT_Aggregate) key += "_" + run.aggregate_name;
    return key;
  }

  Clock clock_;
  std::map<std::string, double> times_;
};

}  // namespace tuxia::bench
