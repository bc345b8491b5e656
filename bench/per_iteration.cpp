#include "bench/per_iteration.h"

namespace bench {

void report_time_per_iteration(benchmark::State &state, std::uint32_t iterations_per_call) {
  // A rate of loop iterations per second, inverted: seconds per iteration.
  state.counters[kPerIterationCounter] =
      benchmark::Counter(static_cast<double>(iterations_per_call),
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

} // namespace bench
