// The warnings about a pass whose figures are not what they seem: other
// work took the processor, the speed changed, or the values turned subnormal.

#include "pass/steady_figures.h"
#include "report/warnings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace pass;
using namespace report;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

struct InterferenceCase {
  PassTiming timing;
  double step;
  bool warns;
};

class Interference : public ::testing::TestWithParam<InterferenceCase> {};

TEST_P(Interference, IsJudgedOnlyOnReadingsThatCanShowIt) {
  EXPECT_EQ(!interference_warning(1, GetParam().timing, GetParam().step).empty(), GetParam().warns);
}

INSTANTIATE_TEST_SUITE_P(
    Passes, Interference,
    ::testing::Values(InterferenceCase{{1.0, 0.9986}, 1e-9, false}, // quiet
                      InterferenceCase{{1.0, 1.02}, 1e-9, false},   // clocks read just outside
                      InterferenceCase{{1.0, 0.951}, 1e-9, false}, InterferenceCase{{1.0, 0.949}, 1e-9, true},
                      InterferenceCase{{0.0004, 0.0001}, 1e-9, true},
                      // A 10 ms processor clock cannot judge a 0.5 s pass...
                      InterferenceCase{{0.5, 0.1}, 0.01, false},
                      // ...but can judge a 2 s one.
                      InterferenceCase{{2.0, 1.0}, 0.01, true}, InterferenceCase{{0.0, 0.0}, 1e-9, false},
                      InterferenceCase{{1.0, nan}, 1e-9, false}, InterferenceCase{{1.0, 0.5}, nan, false}));

TEST(Interference, NamesThePassItsShareAndItsTime) {
  EXPECT_EQ(interference_warning(2, {7.38, 4.797}, 1e-9),
            "megawhets: warning: pass 2 had the processor for only 65.0 % of its 7.38 seconds: other work on "
            "this machine slowed it, so its figures are low; run again with the machine otherwise idle\n");
}

struct SubnormalCase {
  std::int32_t inner;
  bool warns;
};

class Subnormal : public ::testing::TestWithParam<SubnormalCase> {};

TEST_P(Subnormal, IsDecidedOnTheUnsignedInnerCount) {
  EXPECT_EQ(!subnormal_warning(2, GetParam().inner).empty(), GetParam().warns);
}

INSTANTIATE_TEST_SUITE_P(Counts, Subnormal,
                         ::testing::Values(SubnormalCase{0, false}, SubnormalCase{327583, false},
                                           SubnormalCase{327584, true}, SubnormalCase{-1, true},
                                           SubnormalCase{std::numeric_limits<std::int32_t>::min(), true}));

TEST(Subnormal, ShowsANegativeCountAsItIsUsed) {
  EXPECT_EQ(subnormal_warning(1, -5),
            "megawhets: warning: pass 1's inner count -5 (taken as 4294967291) is above 327583, where the "
            "workload's values turn subnormal and many processors slow down sharply, so its figures measure "
            "that; keep the inner count at or below 163791 and raise the outer count instead\n");
}

TEST(Sharing, CountsTheCopiesToRunInWords) {
  EXPECT_EQ(sharing_warning(1, 1), "");
  EXPECT_EQ(sharing_warning(2, 1),
            "megawhets: warning: 2 copies will share 1 usable processor, so the figures will measure how the "
            "processors are shared, not how fast they are; run at most 1 copy, or --copies all\n");
  EXPECT_NE(sharing_warning(3, 2).find("2 usable processors, so"), std::string::npos);
  EXPECT_NE(sharing_warning(3, 2).find("; run at most 2 copies, or"), std::string::npos);
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
