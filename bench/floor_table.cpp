#include "bench/floor_table.h"

#include "bench/block_benchmarks.h"
#include "bench/critical_paths.h"
#include "bench/latency_benchmarks.h"

#include <algorithm>
#include <iomanip>
#include <optional>
#include <sstream>

namespace bench {
namespace {

constexpr int kBlocks = 10;

// Block and latency medians each move by a few percent from run to run on a
// shared machine, so only a ratio well under 1 is evidence that a block
// skipped work.
constexpr double kBelowFloorRatio = 0.9;
constexpr double kNearFloorRatio = 1.15;

std::optional<Latencies> measured_latencies(const MedianCollector &results) {
  const auto add = results.per_iteration_ns(kDoubleAddLatency);
  const auto multiply = results.per_iteration_ns(kDoubleMultiplyLatency);
  const auto divide = results.per_iteration_ns(kDoubleDivideLatency);
  const auto integer_add = results.per_iteration_ns(kIntegerAddLatency);
  const auto add_then_multiply = results.per_iteration_ns(kAddThenMultiplyLatency);
  if (!add || !multiply || !divide || !integer_add || !add_then_multiply) {
    return std::nullopt;
  }
  // Noise can put the pair a hair under the sum; no round trip is faster than none.
  const double round_trip = std::max(0.0, *add_then_multiply - *add - *multiply);
  return Latencies{*add, *multiply, *divide, *integer_add, round_trip};
}

const CriticalPath *critical_path_of(int block) {
  const auto paths = critical_paths();
  const auto found = std::find_if(paths.begin(), paths.end(),
                                  [block](const CriticalPath &path) { return path.block == block; });
  return found == paths.end() ? nullptr : &*found;
}

const char *verdict(double ratio) {
  if (ratio < kBelowFloorRatio) {
    return "  BELOW FLOOR: work dropped?";
  }
  return ratio > kNearFloorRatio ? "  over 1.15 x floor" : "";
}

void print_latencies(std::ostream &out, const Latencies &latencies) {
  out << "Latency of one dependent operation, ns (median):\n"
      << "  double add " << latencies.double_add_ns << ", double multiply " << latencies.double_multiply_ns
      << ", double divide " << latencies.double_divide_ns << ", integer add " << latencies.integer_add_ns
      << "\n  an add-to-multiply-to-add round trip costs " << latencies.adder_round_trip_ns
      << " more than the latencies\n\n";
}

void print_header(std::ostream &out) {
  out << "Block  ns/iteration  floor ns   ratio  floor+trips   ratio  critical path per iteration\n";
}

void print_block_row(std::ostream &out, int block, double measured_ns, const Latencies &latencies) {
  out << std::setw(5) << block << std::setw(14) << measured_ns;
  const CriticalPath *path = critical_path_of(block);
  if (path == nullptr) {
    out << std::setw(10) << '-' << '\n';
    return;
  }
  const double floor = floor_ns(*path, latencies);
  const double floor_with_trips = floor_with_round_trips_ns(*path, latencies);
  out << std::setw(10) << floor << std::setw(8) << measured_ns / floor << std::setw(13) << floor_with_trips
      << std::setw(8) << measured_ns / floor_with_trips << "  " << path->chain << verdict(measured_ns / floor)
      << "\n";
}

} // namespace

void print_floor_table(std::ostream &out, const MedianCollector &results) {
  const std::optional<Latencies> latencies = measured_latencies(results);
  if (!latencies) {
    out << "\nNo floor table: it needs all the latency benchmarks to have run.\n";
    return;
  }
  // Formatted apart, so that the caller's stream keeps its own settings.
  std::ostringstream table;
  table << std::fixed << std::setprecision(3) << "\n";
  print_latencies(table, *latencies);
  print_header(table);
  for (int block = 1; block <= kBlocks; ++block) {
    if (const auto measured = results.per_iteration_ns(block_benchmark_name(block))) {
      print_block_row(table, block, *measured, *latencies);
    }
  }
  out << table.str();
}

} // namespace bench
