// The self-check: block 9's closed form, and the checks that hold this
// build's state to values worked out apart from it.

#include "self_check/block_9_closed_form.h"
#include "self_check/state_check.h"
#include "workload/blocks.h"
#include "workload/outer_iteration.h"
#include "workload/variables.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using namespace self_check;

class Block9ClosedForm : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(Block9ClosedForm, AgreesWithRunningTheBlock) {
  workload::run_block_9(GetParam());
  const IntegerPair jk = block_9_after(GetParam());
  EXPECT_EQ(static_cast<std::int32_t>(jk.j), workload::J);
  EXPECT_EQ(static_cast<std::int32_t>(jk.k), workload::K);
}

INSTANTIATE_TEST_SUITE_P(Iterations, Block9ClosedForm,
                         ::testing::Values(0U, 1U, 2U, 3U, 512U, 1023U, 512U * 163791U, 0xFFFFFFFFU / 50U));

TEST(SelfCheck, ThisBuildReachesTheKnownStates) {
  const auto mismatch = check_known_states();
  EXPECT_FALSE(mismatch) << mismatch_message(*mismatch);
}

struct AfterPassCase {
  std::int32_t inner;
  bool run_it; // or set the state by hand, for counts too large to run
};

class StateAfterPass : public ::testing::TestWithParam<AfterPassCase> {};

TEST_P(StateAfterPass, IsKnownInClosedForm) {
  const std::int32_t inner = GetParam().inner;
  if (GetParam().run_it) {
    workload::run_outer_iteration(inner);
  } else {
    // 616 x 2^29 wraps to no rotation at all, and 512 x 2^29 to no step of
    // block 9: the state such an outer iteration leaves.
    workload::run_outer_iteration(0);
  }
  EXPECT_FALSE(check_state_after(inner, "after pass 2"));
  workload::E1[1] = 2.0000000000000004;
  const auto mismatch = check_state_after(inner, "after pass 2");
  ASSERT_TRUE(mismatch);
  EXPECT_EQ(mismatch->value, "E1[1] after pass 2");
  EXPECT_EQ(mismatch->got, "2.0000000000000004");
  EXPECT_EQ(mismatch->expected, "2");
}

INSTANTIATE_TEST_SUITE_P(Counts, StateAfterPass,
                         ::testing::Values(AfterPassCase{1, true}, AfterPassCase{7, true},
                                           AfterPassCase{1 << 29, false}));

TEST(SelfCheck, MessageGivesBothValuesAndTheLikelyCauses) {
  EXPECT_EQ(mismatch_message({"E1[3] after an outer iteration with inner count 2", "-1.1272179162351226",
                              "-1.1272179162351224"}),
            "megawhets: error: this build does not compute the workload's arithmetic: E1[3] after an outer "
            "iteration with inner count 2 is -1.1272179162351226, not -1.1272179162351224. Compiler flags that "
            "change floating-point results (-ffast-math, fused multiply-add contraction, x87 extended "
            "precision) or a faulty processor can cause this; this build's figures cannot be compared with "
            "others\n");
}

} // namespace
