#include "bench/latency_benchmarks.h"

#include "bench/per_iteration.h"
#include "workload/barriers.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <utility>

namespace bench {
namespace {

// Links written out per loop round, so that the loop's own counter, compare
// and branch run beside the chain instead of lengthening it.
constexpr std::size_t kLinksPerRound = 8;
constexpr std::uint32_t kRounds = 10000;
constexpr auto kLinksPerCall = static_cast<std::uint32_t>(kLinksPerRound * kRounds);

// The workload's own barrier after every link: the compiler must compute each
// result from the one before, one scalar instruction at a time, and can
// neither fold the chain nor vectorise it.
template <class Value, class Link, std::size_t... Index>
inline void run_links(Value &x, Link link, std::index_sequence<Index...>) {
  ((x = link(x), workload::opaque(x), static_cast<void>(Index)), ...);
}

template <class Value, class Link> Value run_chain(Value x, Link link) {
  for (std::uint32_t round = 0; round < kRounds; ++round) {
    run_links(x, link, std::make_index_sequence<kLinksPerRound>{});
  }
  return x;
}

template <class Value, class Link> void time_chain(benchmark::State &state, Value start, Link link) {
  Value x = start;
  for (auto _ : state) {
    x = run_chain(x, link);
  }
  benchmark::DoNotOptimize(x);
  report_time_per_iteration(state, kLinksPerCall);
}

// The chains use identities (adding 0, multiplying and dividing by 1), so
// their values never leave the normal range however long they run. Hidden
// from the compiler, which would otherwise drop x * 1.0 and x / 1.0.
template <class Value> Value hidden(Value value) {
  workload::opaque(value);
  return value;
}

void time_double_add(benchmark::State &state) {
  time_chain(state, 1.25, [zero = hidden(0.0)](double x) { return x + zero; });
}

void time_double_multiply(benchmark::State &state) {
  time_chain(state, 1.25, [one = hidden(1.0)](double x) { return x * one; });
}

void time_double_divide(benchmark::State &state) {
  time_chain(state, 1.25, [one = hidden(1.0)](double x) { return x / one; });
}

void time_integer_add(benchmark::State &state) {
  time_chain(state, std::uint32_t{1},
             [zero = hidden(std::uint32_t{0})](std::uint32_t x) { return x + zero; });
}

void time_add_then_multiply(benchmark::State &state) {
  time_chain(state, 1.25, [zero = hidden(0.0), one = hidden(1.0)](double x) {
    x = x + zero;
    workload::opaque(x);
    return x * one;
  });
}

} // namespace

void register_latency_benchmarks() {
  benchmark::RegisterBenchmark(kDoubleAddLatency, time_double_add);
  benchmark::RegisterBenchmark(kDoubleMultiplyLatency, time_double_multiply);
  benchmark::RegisterBenchmark(kDoubleDivideLatency, time_double_divide);
  benchmark::RegisterBenchmark(kIntegerAddLatency, time_integer_add);
  benchmark::RegisterBenchmark(kAddThenMultiplyLatency, time_add_then_multiply);
}

} // namespace bench
