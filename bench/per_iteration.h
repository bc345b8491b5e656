#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

// Every benchmark here times many iterations of a loop per call; this is how
// each reports the time of one such iteration, so the table shows it
// directly and the floor table can read it back.
namespace bench {

inline constexpr const char *kPerIterationCounter = "per_iteration";

// Reports seconds per loop iteration, given the loop iterations that one
// benchmark iteration (one pass of the timed `for (auto _ : state)`) makes.
void report_time_per_iteration(benchmark::State &state, std::uint32_t iterations_per_call);

} // namespace bench
