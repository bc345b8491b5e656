// The fidelity checks (block_checks.cpp) on callgrind's counts: instructions,
// and the data reads and writes its cache simulation sees.

#include "block_checks.h"
#include "callgrind_run.h"

#include <string>

namespace fidelity {

Measured measure() {
  const std::string missing = MEGAWHETS_FIDELITY_MISSING;
  if (!missing.empty()) {
    return {.blocks = {},
            .counts_operations = false,
            .problem = "cannot check the workload: the build was configured without " + missing +
                       "; install Debian's valgrind package and configure again"};
  }
  const CallgrindRun run = run_under_callgrind(MEGAWHETS_VALGRIND, MEGAWHETS_BLOCK_PROBE);
  if (!run.problem.empty()) {
    return {.blocks = {}, .counts_operations = false, .problem = run.problem};
  }
  Measured measured{.blocks = costs_by_block(run.dumps), .counts_operations = false, .problem = {}};
  print_per_iteration(measured);
  return measured;
}

} // namespace fidelity
