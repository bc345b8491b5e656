// Expected values come from a separate plain transcription of the workload in
// another language (IEEE doubles, the same operation order), held here and in
// the self-check's known states as constants so that a wrong line, count or
// starting value shows up.

#include "self_check/known_states.h"
#include "workload/blocks.h"
#include "workload/outer_iteration.h"
#include "workload/procedure_blocks.h"
#include "workload/procedures.h"
#include "workload/subnormal_limit.h"
#include "workload/variables.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>

namespace {

using namespace workload;

void expect_e1(const std::array<double, 4> &expected) {
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_DOUBLE_EQ(E1[i], expected[i]) << "E1[" << i << "]";
  }
}

void expect_x_untouched() {
  EXPECT_EQ(X1, 0.0);
  EXPECT_EQ(X2, 0.0);
  EXPECT_EQ(X3, 0.0);
  EXPECT_EQ(X4, 0.0);
}

// Every test starts from an outer iteration with n = 0, which sets T, T1 and
// T2 and gives E1, J, K and L known values without running any iteration.
class Workload : public ::testing::Test {
protected:
  void SetUp() override { run_outer_iteration(0); }
};

TEST_F(Workload, NoIterationsLeavesOnlyStartingValues) {
  EXPECT_EQ(T, 0.499975);
  EXPECT_EQ(T1, 0.50025);
  EXPECT_EQ(T2, 2.0);
  expect_e1({1.0, 2.0, 3.0, -1.0});
  EXPECT_EQ(J, 2);
  EXPECT_EQ(K, 34);
  EXPECT_EQ(L, 2);
  expect_x_untouched();
}

class WholeOuterIteration : public Workload, public ::testing::WithParamInterface<self_check::KnownState> {};

TEST_P(WholeOuterIteration, LeavesTheDerivedState) {
  const self_check::KnownState &known = GetParam();
  OuterIterationLocals locals{};
  run_outer_iteration_keeping_locals(static_cast<std::int32_t>(known.inner), locals);
  EXPECT_EQ(T, 0.499975);
  EXPECT_EQ(T2, 2.0);
  // Block 8 rotates an even number of times, ending on (3, 2, 3); E1[3] is
  // what block 3's calls left.
  expect_e1({known.e1[0], known.e1[1], known.e1[2], known.e1[3]});
  EXPECT_EQ(J, known.j);
  EXPECT_EQ(K, known.k);
  EXPECT_EQ(L, known.l);
  EXPECT_DOUBLE_EQ(locals.block_7_z, known.block_7_z);
  EXPECT_NEAR(locals.block_10_x, known.block_10_x, 1e-12);
  expect_x_untouched();
}

INSTANTIATE_TEST_SUITE_P(InnerCounts, WholeOuterIteration, ::testing::ValuesIn(self_check::known_states));

TEST_F(Workload, StateCarriesOverButDoesNotAccumulate) {
  run_outer_iteration(1);
  run_outer_iteration(1);
  expect_e1({3.0, 2.0, 3.0, -1.1302716215293103});
  expect_x_untouched();
}

TEST_F(Workload, Block2StartsFromItsOwnValues) {
  E1[0] = 42.0;
  run_block_2(12);
  expect_e1({-0.06682108153759841, -0.4662713010907264, -0.7329765200218058, -1.1323916609285205});
}

TEST_F(Workload, Block3ContinuesFromBlock2) {
  run_block_2(12);
  run_block_3(14);
  expect_e1({-0.065513281746192, -0.4646922083220843, -0.7310674393684174, -1.1302716215293103});
}

TEST_F(Workload, Block5SetsIndicesAndOnlyTheFirstTwoElements) {
  run_block_2(12);
  run_block_5(3);
  EXPECT_EQ(E1[0], 6.0);
  EXPECT_EQ(E1[1], 6.0);
  EXPECT_DOUBLE_EQ(E1[2], -0.7329765200218058);
  EXPECT_EQ(J, 1);
  EXPECT_EQ(K, 2);
  EXPECT_EQ(L, 3);
}

TEST_F(Workload, Block5WithoutIterationsKeepsE1) {
  run_block_5(0);
  expect_e1({1.0, 2.0, 3.0, -1.0});
}

struct RecurrenceCase {
  std::uint32_t iterations;
  std::int32_t j;
  std::int32_t k;
};

class Block9 : public Workload, public ::testing::WithParamInterface<RecurrenceCase> {};

TEST_P(Block9, RunsItsIntegerRecurrence) {
  run_block_9(GetParam().iterations);
  EXPECT_EQ(J, GetParam().j);
  EXPECT_EQ(K, GetParam().k);
}

INSTANTIATE_TEST_SUITE_P(Iterations, Block9,
                         ::testing::Values(RecurrenceCase{0, 2, 34}, RecurrenceCase{1, -34, 138},
                                           RecurrenceCase{2, -138, 518}, RecurrenceCase{3, -518, 1934},
                                           RecurrenceCase{512, -990849022, -872241118}));

TEST_F(Workload, Block10TakesTheRootOfExpOfLogOverT1) {
  EXPECT_EQ(run_block_10(0), 0.75);
  EXPECT_NEAR(run_block_10(1), 0.750107834615, 1e-12);
}

TEST_F(Workload, Block1KeepsItsVariablesAtZero) {
  run_block_1(1000);
  expect_x_untouched();
}

TEST_F(Workload, MixPairReadsOnlyXAndY) {
  const double x = 1.0;
  const double y = 1.0;
  double z = 0.0;
  mix_pair(x, y, z);
  EXPECT_DOUBLE_EQ(z, 0.999937500625);
  EXPECT_EQ(x, 1.0);
  EXPECT_EQ(y, 1.0);
  EXPECT_DOUBLE_EQ(run_block_7(899), 0.999937500625);
}

TEST_F(Workload, MixArrayOnce) {
  double e[4] = {1.0, -1.0, -1.0, -1.0};
  mix_array(e);
  EXPECT_DOUBLE_EQ(e[0], -0.06658697268119287);
  EXPECT_DOUBLE_EQ(e[1], -0.4665483169510746);
  EXPECT_DOUBLE_EQ(e[2], -0.7331950463876911);
  EXPECT_DOUBLE_EQ(e[3], -1.1331816013678977);
  EXPECT_EQ(T, 0.499975);
  EXPECT_EQ(T2, 2.0);
}

struct RotationCase {
  std::uint32_t calls;
  std::array<double, 3> first_three;
};

class Block8 : public Workload, public ::testing::WithParamInterface<RotationCase> {};

TEST_P(Block8, AlternatesAfterTheFirstCall) {
  E1[3] = -7.5;
  run_block_8(GetParam().calls);
  const auto &expected = GetParam().first_three;
  expect_e1({expected[0], expected[1], expected[2], -7.5});
  EXPECT_EQ(J, 0);
  EXPECT_EQ(K, 1);
  EXPECT_EQ(L, 2);
}

INSTANTIATE_TEST_SUITE_P(Calls, Block8,
                         ::testing::Values(RotationCase{0, {1, 2, 3}}, RotationCase{1, {2, 3, 2}},
                                           RotationCase{2, {3, 2, 3}}, RotationCase{3, {2, 3, 2}},
                                           RotationCase{616, {3, 2, 3}}));

// The limit the program warns above is where blocks 2 and 3, run as an outer
// iteration runs them, first leave a subnormal value in E1.
TEST_F(Workload, SubnormalValuesBeginJustAboveTheWarningLimit) {
  const auto leaves_subnormal = [](std::uint32_t n) {
    const BlockCounts counts = block_counts(static_cast<std::int32_t>(n));
    run_block_2(counts.block_2);
    run_block_3(counts.block_3);
    bool subnormal = false;
    for (const double value : E1) {
      EXPECT_NE(std::fpclassify(value), FP_ZERO) << "n = " << n;
      subnormal = subnormal || std::fpclassify(value) == FP_SUBNORMAL;
    }
    return subnormal;
  };
  EXPECT_FALSE(leaves_subnormal(largest_inner_count_without_subnormals));
  EXPECT_TRUE(leaves_subnormal(largest_inner_count_without_subnormals + 1));
}

TEST(BlockCounts, AreWrappingMultiplesOfTheInnerCount) {
  const BlockCounts one = block_counts(1);
  EXPECT_EQ(one.block_1, 0U);
  EXPECT_EQ(one.block_7, 899U);
  const BlockCounts two = block_counts(2);
  EXPECT_EQ(two.block_1, 1U);
  EXPECT_EQ(two.block_2, 24U);
  EXPECT_EQ(two.block_3, 28U);
  EXPECT_EQ(two.block_4, 690U);
  EXPECT_EQ(two.block_5, 420U);
  EXPECT_EQ(two.block_6, 64U);
  EXPECT_EQ(two.block_7, 1798U);
  EXPECT_EQ(two.block_8, 1232U);
  EXPECT_EQ(two.block_9, 1024U);
  EXPECT_EQ(two.block_10, 186U);
  EXPECT_EQ(block_counts(0).block_1, 0U);
  // Products wrap modulo 2^32; a negative count is a very large one.
  EXPECT_EQ(block_counts(4777643).block_7, 133761U);
  EXPECT_EQ(block_counts(1 << 30).block_2, 0U);
  EXPECT_EQ(block_counts(-1).block_1, 4294967294U);
  EXPECT_EQ(block_counts(-1).block_9, 4294966784U);
}

} // namespace
