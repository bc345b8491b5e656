// The cost of one iteration of each workload block on this machine, beside
// the floor its dependency chain sets at the machine's operation latencies.

#include "bench/block_benchmarks.h"
#include "bench/floor_table.h"
#include "bench/group_reading_cost.h"
#include "bench/latency_benchmarks.h"
#include "bench/median_collector.h"

#include <benchmark/benchmark.h>

#include <iostream>
#include <vector>

namespace {

// Nine short repetitions give medians that a concurrent build on the other
// core barely moves, and keep the whole run to about 40 seconds. Interleaving
// them at random spreads every benchmark over the whole run, so a drift of the
// clock frequency moves the blocks and the latencies alike and their ratios
// stay put. These come before the command line's arguments, which can
// override any of them.
std::vector<char *> arguments_with_defaults(int argc, char **argv) {
  static char repetitions[] = "--benchmark_repetitions=9";
  static char min_time[] = "--benchmark_min_time=0.2";
  static char aggregates_only[] = "--benchmark_report_aggregates_only=true";
  static char interleaving[] = "--benchmark_enable_random_interleaving=true";
  std::vector<char *> arguments{argv[0], repetitions, min_time, aggregates_only, interleaving};
  arguments.insert(arguments.end(), argv + 1, argv + argc);
  arguments.push_back(nullptr);
  return arguments;
}

} // namespace

int main(int argc, char **argv) {
  std::vector<char *> arguments = arguments_with_defaults(argc, argv);
  int count = static_cast<int>(arguments.size()) - 1;
  benchmark::Initialize(&count, arguments.data());
  if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) {
    return 1;
  }
  bench::register_latency_benchmarks();
  bench::register_block_benchmarks();
  bench::register_group_reading_benchmarks();
  bench::MedianCollector results;
  benchmark::RunSpecifiedBenchmarks(&results);
  bench::print_floor_table(std::cout, results);
  bench::print_group_reading_cost(std::cout, results);
  benchmark::Shutdown();
  return 0;
}
