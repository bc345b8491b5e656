// The outer iterations timed in groups, and the verdict on a pass whose
// speed changed while it ran.

#include "pass/iteration_groups.h"
#include "pass/steady_figures.h"
#include "report/warnings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using namespace pass;
using namespace report;

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

struct VerdictCase {
  const char *pass;
  double whole_rate;
  SteadyFigures steady;
  bool warns;
};

class SpeedChanged : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(SpeedChanged, OnlyWhenEnoughGroupsShowIt) {
  const VerdictCase &c = GetParam();
  EXPECT_EQ(speed_changed(c.whole_rate, c.steady), c.warns) << c.pass;
  EXPECT_EQ(steadiness_warning(2, c.whole_rate, c.steady).empty(), !c.warns) << c.pass;
}

INSTANTIATE_TEST_SUITE_P(
    Passes, SpeedChanged,
    ::testing::Values(VerdictCase{"quiet", 98.5, {40, 100.0, 97.0}, false},
                      VerdictCase{"within the threshold", 95.1, {40, 100.0, 90.0}, false},
                      VerdictCase{"beyond the threshold", 94.9, {40, 100.0, 90.0}, true},
                      VerdictCase{"disturbed", 90.0, {40, 100.0, 80.0}, true},
                      VerdictCase{"too few groups", 50.0, {4, 100.0, 20.0}, false},
                      VerdictCase{"just enough groups", 50.0, {5, 100.0, 20.0}, true},
                      VerdictCase{"no work", 0.0, {0, nan, nan}, false},
                      VerdictCase{"whole rate not a number", nan, {40, 100.0, 90.0}, false},
                      VerdictCase{"fastest not a number", 50.0, {40, nan, nan}, false}));

TEST(SpeedChanged, GivesTheSteadierFigure) {
  EXPECT_EQ(steadiness_warning(2, 1024.0 * 8000.0, {20, 1024.0 * 9000.0, 1024.0 * 7900.0}),
            "megawhets: warning: pass 2 ran 11.1 % below its fastest group of outer iterations (8000.00 against "
            "9000.00 megaWhets/second): the machine's speed changed during the pass (other virtual machines on "
            "the same host, frequency changes or throttling); 9000.00 is the steadier figure; run again, or "
            "compare steadier figures\n");
}

} // namespace
