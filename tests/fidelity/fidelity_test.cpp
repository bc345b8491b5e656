// The fidelity checks (block_checks.cpp) on callgrind's counts: instructions,
// and the data reads and writes its cache simulation sees.

#include "block_checks.h"
#include "callgrind_run.h"
#include "qemu_run.h"

#include <gtest/gtest.h>

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

namespace {

// The other architectures rest on qemu's way of counting alone; on the build
// machine, where both count the same probe, it must agree with callgrind.
TEST(QemuCounting, AgreesWithCallgrindOnEveryBlock) {
  const Measured &callgrind = measured();
  ASSERT_TRUE(callgrind.problem.empty()) << callgrind.problem;
  const Measured qemu = measure_under_qemu();
  ASSERT_TRUE(qemu.problem.empty()) << qemu.problem;
  for (const auto &[block, runs] : callgrind.blocks) {
    SCOPED_TRACE("block " + std::to_string(block) + ", per iteration");
    const auto by_callgrind = block_costs(runs);
    const auto by_qemu = block_costs(qemu.blocks.at(block));
    ASSERT_TRUE(by_callgrind && by_qemu);
    const CostsPerIteration expected = by_callgrind->per_iteration();
    const CostsPerIteration counted = by_qemu->per_iteration();
    // Callgrind's first dump after a zeroing can be off by an instruction
    // or two, a few thousandths per iteration.
    constexpr double tolerance = 0.01;
    EXPECT_NEAR(counted.instructions, expected.instructions, tolerance);
    EXPECT_NEAR(counted.loads, expected.loads, tolerance);
    EXPECT_NEAR(counted.stores, expected.stores, tolerance);
  }
}

} // namespace

} // namespace fidelity
