// Runs in copies: how many processors a process may use, and the machine's
// figures from every copy's own.

#include "copies/machine_figures.h"
#include "copies/usable_processors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct LimitsCase {
  const char *name;
  platform::ProcessorLimits limits;
  unsigned usable;
};

class UsableProcessors : public ::testing::TestWithParam<LimitsCase> {};

TEST_P(UsableProcessors, AreTheAffinityMaskLimitedByTheTightestQuota) {
  EXPECT_EQ(copies::usable_processors(GetParam().limits), GetParam().usable) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Limits, UsableProcessors,
    ::testing::Values(LimitsCase{"no limit files", {8, {}, "", ""}, 8},
                      LimitsCase{"cgroup v2 without a limit", {8, {"max 100000\n", ""}, "", ""}, 8},
                      LimitsCase{"a quota of 1.5 rounds up", {8, {"150000 100000\n"}, "", ""}, 2},
                      LimitsCase{"a parent group's tighter quota", {8, {"max 100000\n", "50000 100000\n"}, "", ""}, 1},
                      LimitsCase{"an affinity tighter than the quota", {2, {"800000 100000\n"}, "", ""}, 2},
                      LimitsCase{"cgroup v1 without a limit", {8, {}, "-1\n", "100000\n"}, 8},
                      LimitsCase{"cgroup v1 quota", {8, {}, "250000\n", "100000\n"}, 3},
                      LimitsCase{"unreadable text", {4, {"lots 100000"}, "x", "y"}, 4},
                      LimitsCase{"nothing known", {0, {}, "", ""}, 1}));

TEST(MachineFigures, SpanEveryCopyAndCountEveryCopysWork) {
  pass::PassTiming first{.elapsed = 2.0, .start = 100.0, .end = 102.0};
  pass::PassTiming second{.elapsed = 2.5, .start = 100.25, .end = 102.75};
  const copies::MachineFigures machine = copies::machine_figures({first, second}, 1000.0);
  EXPECT_EQ(machine.elapsed, 2.75);
  EXPECT_EQ(machine.rate, 2 * 1000.0 * 100.0 / 2.75);
  EXPECT_EQ(machine.fastest_copy, 2.0);
  EXPECT_EQ(machine.slowest_copy, 2.5);
  EXPECT_EQ(machine.start_spread, 0.25);
  EXPECT_EQ(machine.earliest_start, 100.0);
}

} // namespace
