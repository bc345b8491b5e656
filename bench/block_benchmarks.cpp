#include "bench/block_benchmarks.h"

#include "bench/per_iteration.h"
#include "workload/blocks.h"
#include "workload/outer_iteration.h"
#include "workload/procedure_blocks.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace bench {
namespace {

// Enough iterations per call that the call, the loop set-up and the one
// mispredicted loop exit vanish in the per-iteration time, and few enough
// that blocks 2 and 3 stay far from the subnormal range (about 11 million
// iterations of block 2, 6 million calls of block 3, from their start).
constexpr std::uint32_t kIterationsPerCall = 100000;

// An outer iteration with n = 0 runs no block iteration but sets T, T1 and
// T2, and leaves the other variables as the program starts them.
void set_up_workload() { workload::run_outer_iteration(0); }

template <void (*Block)(std::uint32_t)> void time_block(benchmark::State &state) {
  set_up_workload();
  for (auto _ : state) {
    Block(kIterationsPerCall);
  }
  report_time_per_iteration(state, kIterationsPerCall);
}

template <double (*Block)(std::uint32_t)> void time_block_with_result(benchmark::State &state) {
  set_up_workload();
  for (auto _ : state) {
    benchmark::DoNotOptimize(Block(kIterationsPerCall));
  }
  report_time_per_iteration(state, kIterationsPerCall);
}

// Block 3 carries E1 on from one call to the next, so over a whole benchmark
// its values would decay into the subnormal range, where arithmetic is many
// times slower than the program ever sees. Each timed run of the block
// therefore starts, as in the program, from what a short block 2 leaves
// behind; that is not timed.
void time_block_3(benchmark::State &state) {
  set_up_workload();
  for (auto _ : state) {
    state.PauseTiming();
    workload::run_block_2(12);
    state.ResumeTiming();
    workload::run_block_3(kIterationsPerCall);
  }
  report_time_per_iteration(state, kIterationsPerCall);
}

// A whole outer iteration with inner count 1, as a pass runs it: the sum of
// the blocks at their own counts, the procedures' calls included.
void time_outer_iteration_with_inner_count_1(benchmark::State &state) {
  set_up_workload();
  for (auto _ : state) {
    workload::run_outer_iteration(1);
  }
  report_time_per_iteration(state, 1);
}

void register_block(int block, void (*time)(benchmark::State &)) {
  benchmark::RegisterBenchmark(block_benchmark_name(block).c_str(), time);
}

} // namespace

std::string block_benchmark_name(int block) { return "block_" + std::to_string(block); }

void register_block_benchmarks() {
  register_block(1, time_block<workload::run_block_1>);
  register_block(2, time_block<workload::run_block_2>);
  register_block(3, time_block_3);
  register_block(4, time_block<workload::run_block_4>);
  register_block(5, time_block<workload::run_block_5>);
  register_block(6, time_block<workload::run_block_6>);
  register_block(7, time_block_with_result<workload::run_block_7>);
  register_block(8, time_block<workload::run_block_8>);
  register_block(9, time_block<workload::run_block_9>);
  register_block(10, time_block_with_result<workload::run_block_10>);
  benchmark::RegisterBenchmark("outer_iteration_n1", time_outer_iteration_with_inner_count_1);
}

} // namespace bench
