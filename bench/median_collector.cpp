#include "bench/median_collector.h"

#include "bench/per_iteration.h"

#include <algorithm>

namespace bench {
namespace {

constexpr double kNanosecondsPerSecond = 1e9;

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

} // namespace

// Tabular, so each counter gets a column of its own; no colour, so the output
// reads the same in a file or a pipe as on a terminal.
MedianCollector::MedianCollector() : benchmark::ConsoleReporter(OO_Tabular) {}

void MedianCollector::ReportRuns(const std::vector<Run> &runs) {
  benchmark::ConsoleReporter::ReportRuns(runs);
  for (const Run &run : runs) {
    keep(run);
  }
}

void MedianCollector::keep(const Run &run) {
  const auto counter = run.counters.find(kPerIterationCounter);
  if (counter == run.counters.end()) {
    return; // a run that failed, or a statistic without the counter
  }
  const double ns = counter->second.value * kNanosecondsPerSecond;
  const std::string &name = run.run_name.function_name;
  if (run.run_type == Run::RT_Iteration) {
    repetitions_ns_[name].push_back(ns);
  } else if (run.aggregate_name == "median") {
    reported_medians_ns_[name] = ns;
  }
}

// With --benchmark_report_aggregates_only the single repetitions never reach
// the reporter, only the statistics; without repetitions only the one run does.
std::optional<double> MedianCollector::per_iteration_ns(const std::string &benchmark) const {
  if (const auto reported = reported_medians_ns_.find(benchmark); reported != reported_medians_ns_.end()) {
    return reported->second;
  }
  if (const auto kept = repetitions_ns_.find(benchmark); kept != repetitions_ns_.end()) {
    return median(kept->second);
  }
  return std::nullopt;
}

} // namespace bench
