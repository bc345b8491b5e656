// Where the charts put their marks: round axes that always have a length,
// and names that never overlap.

#include "compare_output/label_lanes.h"
#include "output/chart_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using namespace compare_output;

struct AxisCase {
  const char *name;
  double low, high;
  double axis_low, axis_high;
};

void PrintTo(const AxisCase &axis, std::ostream *out) { *out << axis.name; }

class RoundAxis : public ::testing::TestWithParam<AxisCase> {};

TEST_P(RoundAxis, HoldsTheFiguresBetweenRoundEnds) {
  const AxisCase &c = GetParam();
  const output::Axis axis = output::round_axis(c.low, c.high, 5);
  EXPECT_DOUBLE_EQ(axis.low, c.axis_low);
  EXPECT_DOUBLE_EQ(axis.high, c.axis_high);
  ASSERT_GE(axis.ticks.size(), 2u);
  EXPECT_DOUBLE_EQ(axis.ticks.front(), axis.low);
  EXPECT_DOUBLE_EQ(axis.ticks.back(), axis.high);
  const output::Scale scale(axis, 100.0, 500.0);
  EXPECT_DOUBLE_EQ(scale.at(axis.low), 100.0);
  EXPECT_DOUBLE_EQ(scale.at(axis.high), 500.0);
}

const double not_a_number = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(Axes, RoundAxis,
                         ::testing::Values(AxisCase{"rates from zero", 0.0, 13105.4, 0.0, 15000.0},
                                           AxisCase{"a stratum's rates", 12344.7, 13391.2, 12250.0, 13500.0},
                                           // One figure, or none that is finite, still gives an
                                           // axis with a length to divide by.
                                           AxisCase{"one rate", 9000.0, 9000.0, 8400.0, 9600.0},
                                           AxisCase{"zero alone", 0.0, 0.0, -1.0, 1.0},
                                           AxisCase{"no finite rate", not_a_number, 5.0, 0.0, 1.0},
                                           AxisCase{"ends given the wrong way round", 10.0, 0.0, 0.0, 10.0}));

TEST(LabelLanes, GivesOverlappingNamesTheirOwnLanesAndNoMoreLanesThanNeeded) {
  // Three names overlap around 45 px; the fourth is clear of them all.
  const std::vector<LabelSpan> spans{{0, 50}, {40, 90}, {100, 150}, {45, 60}};
  EXPECT_EQ(label_lanes(spans, 10.0), (std::vector<std::size_t>{0, 1, 0, 2}));
  // The gap counts: 50 + 10 reaches 60, where the next starts.
  const std::vector<LabelSpan> touching{{0, 50}, {60, 90}, {99, 120}};
  EXPECT_EQ(label_lanes(touching, 10.0), (std::vector<std::size_t>{0, 0, 1}));
  EXPECT_TRUE(label_lanes({}, 10.0).empty());
}

} // namespace
