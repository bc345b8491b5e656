#include "workload/outer_iteration.h"

#include "workload/barriers.h"
#include "workload/blocks.h"
#include "workload/procedure_blocks.h"
#include "workload/variables.h"

namespace workload {
namespace {

void set_scale_factors() {
  T = 0.499975;
  T1 = 0.50025;
  T2 = 2.0;
  // The blocks must read these from memory: known as constants, a division by
  // T2 would become a multiplication by 0.5 and 1 / T1 would be precomputed.
  opaque_in_memory(T);
  opaque_in_memory(T1);
  opaque_in_memory(T2);
}

// The blocks in their order. Each caller gets its own copy, so a pass's
// outer iteration keeps nothing of its locals.
inline void run_blocks(std::int32_t n, OuterIterationLocals *locals) {
  set_scale_factors();
  const BlockCounts counts = block_counts(n);
  run_block_1(counts.block_1);
  run_block_2(counts.block_2);
  run_block_3(counts.block_3);
  run_block_4(counts.block_4);
  run_block_5(counts.block_5);
  run_block_6(counts.block_6);
  const double z = run_block_7(counts.block_7);
  run_block_8(counts.block_8);
  run_block_9(counts.block_9);
  const double x = run_block_10(counts.block_10);
  if (locals != nullptr) {
    *locals = {.block_7_z = z, .block_10_x = x};
  }
}

} // namespace

BlockCounts block_counts(std::int32_t n) {
  const auto u = static_cast<std::uint32_t>(n);
  return BlockCounts{
      .block_1 = u > 1 ? u - 1 : 0,
      .block_2 = 12U * u,
      .block_3 = 14U * u,
      .block_4 = 345U * u,
      .block_5 = 210U * u,
      .block_6 = 32U * u,
      .block_7 = 899U * u,
      .block_8 = 616U * u,
      .block_9 = 512U * u,
      .block_10 = 93U * u,
  };
}

void run_outer_iteration(std::int32_t n) { run_blocks(n, nullptr); }

void run_outer_iteration_keeping_locals(std::int32_t n, OuterIterationLocals &locals) { run_blocks(n, &locals); }

} // namespace workload
