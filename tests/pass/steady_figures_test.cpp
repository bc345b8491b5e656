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
  groups.add(0.02);
  groups.add(0.01);
  groups.add(0.04);
  const SteadyFigures steady = steady_figures(groups, 250);
  EXPECT_EQ(steady.groups, 3U);
  EXPECT_DOUBLE_EQ(steady.fastest_rate, 4 * 250 * 100 / 0.01);
  EXPECT_DOUBLE_EQ(steady.slowest_rate, 4 * 250 * 100 / 0.04);
  EXPECT_TRUE(std::isnan(steady_figures(IterationGroups{.outer_per_group = 1}, 20000).fastest_rate));
}

} // namespace
