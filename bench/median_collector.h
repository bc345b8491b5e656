#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// Shows the runs on the console as usual and keeps each benchmark's time per
// loop iteration, so that the floor table can be worked out once all have run.
class MedianCollector : public benchmark::ConsoleReporter {
public:
  MedianCollector();

  void ReportRuns(const std::vector<Run> &runs) override;

  // The median over the repetitions of a benchmark's time per loop iteration,
  // in nanoseconds; nothing if it did not run.
  std::optional<double> per_iteration_ns(const std::string &benchmark) const;

private:
  void keep(const Run &run);

  std::map<std::string, double> reported_medians_ns_;
  std::map<std::string, std::vector<double>> repetitions_ns_;
};

} // namespace bench
