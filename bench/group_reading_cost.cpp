#include "bench/group_reading_cost.h"

#include "bench/per_iteration.h"
#include "pass/clock.h"
#include "pass/iteration_groups.h"
#include "workload/outer_iteration.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <iomanip>
#include <sstream>

namespace bench {
namespace {

constexpr const char *kClockReading = "wall_clock_reading";
constexpr const char *kSmallestGroup = "outer_iteration_n1000";
constexpr std::uint32_t kReadingsPerCall = 1000;

void time_clock_reading(benchmark::State &state) {
  for (auto _ : state) {
    for (std::uint32_t i = 0; i < kReadingsPerCall; ++i) {
      benchmark::DoNotOptimize(pass::wall_seconds());
    }
  }
  report_time_per_iteration(state, kReadingsPerCall);
}

void time_smallest_group(benchmark::State &state) {
  workload::run_outer_iteration(0);
  for (auto _ : state) {
    workload::run_outer_iteration(static_cast<std::int32_t>(pass::least_group_work));
  }
  report_time_per_iteration(state, 1);
}

} // namespace

void register_group_reading_benchmarks() {
  benchmark::RegisterBenchmark(kClockReading, time_clock_reading);
  benchmark::RegisterBenchmark(kSmallestGroup, time_smallest_group);
}

void print_group_reading_cost(std::ostream &out, const MedianCollector &results) {
  const auto reading = results.per_iteration_ns(kClockReading);
  const auto group = results.per_iteration_ns(kSmallestGroup);
  if (!reading || !group) {
    return;
  }
  std::ostringstream line;
  line << std::setprecision(3) << "\nA clock reading takes " << *reading << " ns; the smallest group of outer "
       << "iterations (one at inner count " << pass::least_group_work << ") takes " << *group / 1e6
       << " ms, so reading after every group adds at most " << *reading / *group * 100.0 << " % to a pass.\n";
  out << line.str();
}

} // namespace bench
