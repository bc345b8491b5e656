// What a comparison decides before its first round: the counts every slice
// gets, and the order of each round, which a seed repeats on any system.

#include "ab/round_order.h"
#include "ab/slice_counts.h"
#include "pass/iteration_groups.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CountsCase {
  const char *name;
  double seconds_per_unit;
  double slice_seconds;
  std::int32_t inner;
  std::int32_t outer;
};

class SliceCounts : public ::testing::TestWithParam<CountsCase> {};

// A pass 1 of inner x outer units and a pass 2 of twice that fill the
// slice; a machine too slow for that still gets five full groups a pass,
// or its steady figure would be missing.
TEST_P(SliceCounts, FillTheSliceWithEnoughGroupsToJudge) {
  const pass::Counts counts = ab::slice_counts(GetParam().seconds_per_unit, GetParam().slice_seconds);
  EXPECT_EQ(counts.inner, GetParam().inner);
  EXPECT_EQ(counts.outer, GetParam().outer);
  EXPECT_FALSE(counts.auto_seconds);
  EXPECT_GE(static_cast<std::uint32_t>(counts.outer), 5 * pass::outer_iterations_per_group(counts.inner));
}

INSTANTIATE_TEST_SUITE_P(Machines, SliceCounts,
                         ::testing::Values(CountsCase{"ServerCoreOneSecond", 1e-5, 1.0, 1000, 33},
                                           CountsCase{"ServerCoreHalfSecond", 1e-5, 0.5, 500, 33},
                                           CountsCase{"FastCoreTwoSeconds", 2e-6, 2.0, 10000, 33},
                                           CountsCase{"EmulatedShortSlice", 1e-3, 0.1, 1, 5000}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(RoundOrder, IsTheSeedsOnEverySystemAndFallsEitherWayAlike) {
  std::string order;
  for (std::uint64_t round = 1; round <= 16; ++round) {
    order += ab::b_runs_first(12345, round) ? 'B' : 'A';
  }
  EXPECT_EQ(order, "BBBABBBABABBAAAA");
  int b_first = 0;
  for (std::uint64_t round = 1; round <= 10000; ++round) {
    b_first += ab::b_runs_first(12345, round) ? 1 : 0;
  }
  EXPECT_NEAR(b_first, 5000, 200);
  EXPECT_NE(ab::fresh_seed(), ab::fresh_seed());
}

} // namespace
