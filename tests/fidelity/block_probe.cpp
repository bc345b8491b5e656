// Runs each block of the workload under callgrind at 0, c and 2c iterations,
// and has callgrind write the instructions executed by each run as a dump of
// its own (see dump_names.h). The fidelity checker reads those dumps; outside
// callgrind this program measures nothing.

#include "dump_names.h"

#include "workload/blocks.h"
#include "workload/outer_iteration.h"
#include "workload/procedure_blocks.h"

#include <valgrind/callgrind.h>
#include <valgrind/valgrind.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

using BlockFunction = void (*)(std::uint32_t);

struct Block {
  int number;
  BlockFunction run;
};

// The outer iteration discards what blocks 7 and 10 return; so does the probe.
void run_block_7(std::uint32_t iterations) { workload::run_block_7(iterations); }
void run_block_10(std::uint32_t iterations) { workload::run_block_10(iterations); }

constexpr Block blocks[] = {
    {1, workload::run_block_1}, {2, workload::run_block_2}, {3, workload::run_block_3},
    {4, workload::run_block_4}, {5, workload::run_block_5}, {6, workload::run_block_6},
    {7, run_block_7},           {8, workload::run_block_8}, {9, workload::run_block_9},
    {10, run_block_10},
};

// Block 10 starts every run from the same x and drives it towards 1, where
// the logarithm and exponential take cheaper paths after a few thousand
// iterations; 2c stays well below that so each of its iterations costs the
// same.
constexpr std::uint32_t c = 1000;
constexpr std::uint32_t probed_iterations[] = {0, c, 2 * c};

void measure(const Block &block, std::uint32_t iterations) {
  const std::string name = fidelity::dump_name({.block = block.number, .iterations = iterations});
  CALLGRIND_ZERO_STATS;
  block.run(iterations);
  CALLGRIND_DUMP_STATS_AT(name.c_str());
}

void measure_each_count(const Block &block) {
  // The first call of a library function (log, exp) goes through the dynamic
  // linker; a warm-up run keeps that one-off cost out of the measurements.
  block.run(1);
  for (const std::uint32_t iterations : probed_iterations) {
    measure(block, iterations);
  }
}

} // namespace

int main() {
  if (!RUNNING_ON_VALGRIND) {
    std::fputs("megawhets_block_probe measures only under valgrind --tool=callgrind\n", stderr);
    return 1;
  }
  // The blocks read T, T1 and T2, which an outer iteration sets; with an inner
  // count of 0 it makes no block iterations.
  workload::run_outer_iteration(0);
  for (const Block &block : blocks) {
    measure_each_count(block);
  }
  return 0;
}
