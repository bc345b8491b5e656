// What the rank statistics cost: the Hodges-Lehmann shift with its
// interval for 10 to 500,000 records a side (and 1,000,000, the most a
// comparison is planned for), the one-sample estimate for paired slices,
// and the exact distributions at the edge of what they take on: 127 against
// 127 and 4 against 4,095 whole, the far tail of a million a side, and the
// signed-rank distribution of 812 differences.

#include "statistics/hodges_lehmann.h"
#include "statistics/mann_whitney.h"
#include "statistics/signed_rank_distribution.h"
#include "statistics/u_distribution.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace {

// Steady rates of a shared machine: normally spread by 1 %, a fixed seed.
std::vector<double> rates(std::size_t count, double median, unsigned seed) {
  std::mt19937_64 random(seed);
  std::normal_distribution<double> spread(median, median * 0.01);
  std::vector<double> values(count);
  for (double &value : values) {
    value = spread(random);
  }
  return values;
}

void shift(benchmark::State &state) {
  const auto records = static_cast<std::size_t>(state.range(0));
  const std::vector<double> base = rates(records, 12000.0, 1);
  const std::vector<double> group = rates(records, 12060.0, 2);
  for (auto _ : state) {
    benchmark::DoNotOptimize(statistics::shift_estimate(base, group));
  }
}
BENCHMARK(shift)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Arg(500000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void location(benchmark::State &state) {
  const auto pairs = static_cast<std::size_t>(state.range(0));
  std::vector<double> log_ratios = rates(pairs, 0.01, 3);
  for (auto _ : state) {
    benchmark::DoNotOptimize(statistics::location_estimate(log_ratios));
  }
}
BENCHMARK(location)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Arg(500000)->Unit(benchmark::kMillisecond);

void u_test(benchmark::State &state) {
  const auto records = static_cast<std::size_t>(state.range(0));
  const std::vector<double> base = rates(records, 12000.0, 4);
  const std::vector<double> group = rates(records, 12060.0, 5);
  for (auto _ : state) {
    benchmark::DoNotOptimize(statistics::mann_whitney(group, base));
  }
}
BENCHMARK(u_test)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Arg(500000)->Unit(benchmark::kMillisecond);

void u_tail(benchmark::State &state) {
  const auto n1 = static_cast<std::size_t>(state.range(0));
  const auto n2 = static_cast<std::size_t>(state.range(1));
  const auto u = static_cast<std::uint64_t>(state.range(2));
  for (auto _ : state) {
    benchmark::DoNotOptimize(statistics::u_lower_tail(n1, n2, u));
  }
}
BENCHMARK(u_tail)
    ->Args({34, 34, 578})
    ->Args({127, 127, 8064})
    ->Args({4, 4095, 8190})
    ->Args({1000000, 1000000, 511})
    ->Unit(benchmark::kMillisecond);

void signed_rank_tail(benchmark::State &state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto t = static_cast<std::uint64_t>(state.range(1));
  for (auto _ : state) {
    benchmark::DoNotOptimize(statistics::signed_rank_lower_tail(n, t));
  }
}
BENCHMARK(signed_rank_tail)->Args({50, 637})->Args({812, 165039})->Unit(benchmark::kMillisecond);

} // namespace
