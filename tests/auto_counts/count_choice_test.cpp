// The counts --auto chooses, for machines from far slower to far faster than
// a current server core.

#include "auto_counts/count_choice.h"
#include "pass/iteration_groups.h"
#include "report/warnings.h"
#include "workload/subnormal_limit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

namespace {

using auto_counts::choose_counts;

// One unit of work (an inner count of 1 in one outer iteration) on a current
// server core: 20000 x 25 take 3.71 s.
constexpr double server_core = 3.71 / (20000.0 * 25.0);

struct MachineCase {
  double times_faster;
  double seconds;
};

class AutoCounts : public ::testing::TestWithParam<MachineCase> {};

TEST_P(AutoCounts, FillTheTimeWithinBoundsAndRoundCounts) {
  const double per_unit = server_core / GetParam().times_faster;
  const double seconds = GetParam().seconds;
  const auto counts = choose_counts(per_unit, seconds);
  ASSERT_GE(counts.inner, 1);
  ASSERT_GE(counts.outer, 1);
  const double units = static_cast<double>(counts.inner) * counts.outer;
  EXPECT_GE(3.0 * units * per_unit, seconds);
  EXPECT_LE(3.0 * units * per_unit, 1.3 * seconds);
  EXPECT_LE(2U * static_cast<std::uint32_t>(counts.inner), workload::largest_inner_count_without_subnormals);
  const std::set<std::int32_t> round{1,    2,    5,     10,    20,    50,     100,   200,
                                     500,  1000, 2000,  5000,  10000, 20000,  50000, 100000};
  EXPECT_TRUE(round.count(counts.inner)) << counts.inner;
  // Pass 1 has the larger groups; 20 of them need 20000 units in all.
  const std::uint32_t groups = static_cast<std::uint32_t>(counts.outer) /
                               pass::outer_iterations_per_group(counts.inner);
  if (units >= 20000) {
    EXPECT_GE(groups, 20U);
  }
  // Wherever the time allows a pass enough groups to be judged, it gets
  // them, so that a run with --auto is never warned of being too short.
  if (units >= report::fewest_judged_groups * pass::least_group_work) {
    EXPECT_GE(groups, report::fewest_judged_groups);
  }
}

INSTANTIATE_TEST_SUITE_P(Machines, AutoCounts,
                         ::testing::Values(MachineCase{0.001, 15}, MachineCase{0.01, 15}, MachineCase{0.03, 15},
                                           MachineCase{0.1, 15}, MachineCase{0.5, 10}, MachineCase{1, 15},
                                           MachineCase{1, 10}, MachineCase{1, 30}, MachineCase{3, 15},
                                           MachineCase{10, 15}, MachineCase{100, 15}, MachineCase{100, 86400},
                                           MachineCase{0.001, 1}));

TEST(AutoCounts, GiveSlowerMachinesSmallerInnerCounts) {
  EXPECT_EQ(choose_counts(server_core, 15).inner, 20000);
  EXPECT_EQ(choose_counts(server_core * 1000, 15).inner, 20);
  // A measurement that makes no sense gives the largest counts, not none.
  EXPECT_EQ(choose_counts(0.0, 15).inner, 100000);
}

} // namespace
