// Runs each block of the workload at 0, c and 2c iterations (see
// probe_schedule.h), for the fidelity checker to count what each run
// executes. It is counted in two ways:
//  - under callgrind, which this program asks to write each run's costs as a
//    dump of its own, named after the run (see dump_names.h); and
//  - under qemu, whose log shows every block of guest code executed. There
//    each run lies between a call of run_begins and a call of run_ends, which
//    the checker finds by their addresses in the symbol table.
// On its own the program measures nothing.

#include "dump_names.h"
#include "probe_schedule.h"

#include "workload/barriers.h"
#include "workload/blocks.h"
#include "workload/outer_iteration.h"
#include "workload/procedure_blocks.h"

#if defined(MEGAWHETS_PROBE_CALLGRIND)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_ZERO_STATS
#define CALLGRIND_DUMP_STATS_AT(name) static_cast<void>(name)
#endif

#include <cstdint>
#include <string>

// The markers' names are not mangled, so the checker can look them up.
extern "C" {
MEGAWHETS_REAL_CALL void megawhets_probe_run_begins() { workload::observe_all_memory(); }
MEGAWHETS_REAL_CALL void megawhets_probe_run_ends() { workload::observe_all_memory(); }
}

namespace {

using BlockFunction = void (*)(std::uint32_t);

// The outer iteration discards what blocks 7 and 10 return; so does the probe.
void run_block_7(std::uint32_t iterations) { workload::run_block_7(iterations); }
void run_block_10(std::uint32_t iterations) { workload::run_block_10(iterations); }

// In the order of their numbers, as the schedule has them.
constexpr BlockFunction blocks[] = {
    workload::run_block_1, workload::run_block_2, workload::run_block_3, workload::run_block_4,
    workload::run_block_5, workload::run_block_6, run_block_7,           workload::run_block_8,
    workload::run_block_9, run_block_10,
};
static_assert(std::size(blocks) == fidelity::probed_blocks);

void measure(fidelity::ProbeRun run) {
  const std::string name = fidelity::dump_name(run);
  CALLGRIND_ZERO_STATS;
  megawhets_probe_run_begins();
  blocks[run.block - 1](run.iterations);
  megawhets_probe_run_ends();
  CALLGRIND_DUMP_STATS_AT(name.c_str());
}

} // namespace

int main() {
  // The blocks read T, T1 and T2, which an outer iteration sets; with an inner
  // count of 0 it makes no block iterations.
  workload::run_outer_iteration(0);
  for (std::size_t index = 0; index < fidelity::probe_runs; ++index) {
    const fidelity::ProbeRun run = fidelity::probe_run(index);
    if (run.iterations == 0) {
      // The first call of a library function (log, exp) can take a path it
      // never takes again; a warm-up run keeps that one-off cost out of the
      // measurements.
      blocks[run.block - 1](1);
    }
    measure(run);
  }
  return 0;
}
