// The outer iterations timed in groups, and what the groups say of the speed.

#include "pass/iteration_groups.h"
#include "pass/steady_figures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using namespace pass;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

struct GroupSizeCase {
  std::int32_t inner;
  std::uint32_t outer_per_group;
};

class GroupSize : public ::testing::TestWithParam<GroupSizeCase> {};

TEST_P(GroupSize, IsTheFewestOuterIterationsReachingAThousandUnits) {
  EXPECT_EQ(outer_iterations_per_group(GetParam().inner), GetParam().outer_per_group);
}

INSTANTIATE_TEST_SUITE_P(
    InnerCounts, GroupSize,
    ::testing::Values(GroupSizeCase{0, 0}, GroupSizeCase{1, 1000}, GroupSizeCase{3, 334},
                      GroupSizeCase{7, 143}, GroupSizeCase{999, 2}, GroupSizeCase{1000, 1},
                      GroupSizeCase{20000, 1},
                      // Taken as unsigned, a negative count is a very large one.
                      GroupSizeCase{-1, 1}, GroupSizeCase{std::numeric_limits<std::int32_t>::min(), 1}));

TEST(SteadyFigures, RateAGroupsWholeWork) {
  IterationGroups groups{.outer_per_group = 4};
  // The group fastest by the clock is not the one fastest by processor
  // time: another program had the processor during the first.
  groups.add(0.02, 0.009);
  groups.add(0.01, 0.010);
  groups.add(0.04, 0.011);
  const SteadyFigures steady = steady_figures(groups, 250);
  EXPECT_EQ(steady.groups, 3U);
  EXPECT_DOUBLE_EQ(steady.fastest_rate, 4 * 250 * 100 / 0.01);
  EXPECT_DOUBLE_EQ(steady.slowest_rate, 4 * 250 * 100 / 0.04);
  EXPECT_DOUBLE_EQ(steady.fastest_processor_rate, 4 * 250 * 100 / 0.009);
  const SteadyFigures none = steady_figures(IterationGroups{.outer_per_group = 1}, 20000);
  EXPECT_TRUE(std::isnan(none.fastest_rate));
  EXPECT_TRUE(std::isnan(none.fastest_processor_rate));
}

// A processor clock that could not be read, or read no time at all for a
// group (one too coarse for it), gives no figure rather than an infinite or
// borrowed one.
TEST(SteadyFigures, GiveNoProcessorFigureFromAnUnreadableOrCoarseClock) {
  for (const double unread : {nan, 0.0}) {
    IterationGroups groups{.outer_per_group = 2};
    groups.add(0.02, 0.015);
    groups.add(0.01, unread);
    groups.add(0.03, 0.012);
    const SteadyFigures steady = steady_figures(groups, 1000);
    EXPECT_DOUBLE_EQ(steady.fastest_rate, 2 * 1000 * 100 / 0.01);
    EXPECT_TRUE(std::isnan(steady.fastest_processor_rate)) << unread;
  }
}

} // namespace
