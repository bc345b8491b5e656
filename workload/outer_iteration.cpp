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

#if defined(MEGAWHETS_TEST_DRAG_PERCENT)
static_assert(MEGAWHETS_TEST_DRAG_PERCENT >= 1 && MEGAWHETS_TEST_DRAG_PERCENT <= 100,
              "a drag is 1 to 100 percent");

// Only in the test builds that tell two programs apart by a difference known
// in advance: after each outer iteration, the blocks run again at the
// drag's share of its inner count, on a copy of the state that is then put
// back, so that the figures count work that was not done and nothing else
// changes. The share's remainder is carried to the next iteration, so that
// any inner count gets the drag's share on average.
struct State {
  double t, t1, t2, e1[4];
  std::int32_t j, k, l;
  double x1, x2, x3, x4;
};

State saved_state() { return {T, T1, T2, {E1[0], E1[1], E1[2], E1[3]}, J, K, L, X1, X2, X3, X4}; }

void restore(const State &state) {
  T = state.t;
  T1 = state.t1;
  T2 = state.t2;
  for (int i = 0; i < 4; ++i) {
    E1[i] = state.e1[i];
  }
  J = state.j;
  K = state.k;
  L = state.l;
  X1 = state.x1;
  X2 = state.x2;
  X3 = state.x3;
  X4 = state.x4;
}

std::uint64_t drag_remainder = 0;

void drag(std::int32_t n) {
  const std::uint64_t owed = drag_remainder + std::uint64_t{static_cast<std::uint32_t>(n)} *
                                                  std::uint64_t{MEGAWHETS_TEST_DRAG_PERCENT};
  drag_remainder = owed % 100;
  const State state = saved_state();
  run_blocks(static_cast<std::int32_t>(static_cast<std::uint32_t>(owed / 100)), nullptr);
  // The extra blocks' stores count as seen, so that putting the state back
  // cannot make them dead.
  observe_all_memory();
  restore(state);
}
#endif

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

void run_outer_iteration(std::int32_t n) {
  run_blocks(n, nullptr);
#if defined(MEGAWHETS_TEST_DRAG_PERCENT)
  drag(n);
#endif
}

void run_outer_iteration_keeping_locals(std::int32_t n, OuterIterationLocals &locals) { run_blocks(n, &locals); }

} // namespace workload
