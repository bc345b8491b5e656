#include "ab/judged_figure.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using ab::Figure;

struct FigureCase {
  Figure figure;
  const char *name;
  double judged; // of the slice below
};

// Each figure of the slice is a different number, so that a name or a
// figure taken for another shows.
const ab::Slice slice{.steady = 2.0, .rate = 1.0, .processor_rate = 3.0, .processor_steady = 4.0};

class FigureNames : public ::testing::TestWithParam<FigureCase> {};

TEST_P(FigureNames, JudgeTheirOwnFigureAndReadBackFromTheirName) {
  const FigureCase &c = GetParam();
  EXPECT_EQ(ab::judged(slice, c.figure), c.judged);
  EXPECT_STREQ(ab::figure_name(c.figure), c.name);
  EXPECT_EQ(ab::figure_named(c.name), c.figure);
}

INSTANTIATE_TEST_SUITE_P(Every, FigureNames,
                         ::testing::Values(FigureCase{Figure::rate, "rate", 1.0},
                                           FigureCase{Figure::steady, "steady", 2.0},
                                           FigureCase{Figure::processor_rate, "processor-rate", 3.0},
                                           FigureCase{Figure::processor_steady, "processor-steady", 4.0}));

TEST(FigureNames, RefuseWhatNoFigureIsCalled) {
  for (const char *name : {"", "Rate", "processor", "processor_steady", "steady "}) {
    EXPECT_FALSE(ab::figure_named(name)) << name;
  }
  EXPECT_EQ(ab::default_figure, Figure::processor_rate);
}

// An older program's record gives no figure by processor time: judged on
// it, its slice is not a number, never a figure borrowed from another.
TEST(FigureNames, JudgeAnOlderRecordsSliceOnProcessorTimeAsNoNumber) {
  const ab::Slice older{.steady = 2.0, .rate = 1.0};
  EXPECT_TRUE(std::isnan(ab::judged(older, Figure::processor_rate)));
  EXPECT_TRUE(std::isnan(ab::judged(older, Figure::processor_steady)));
}

} // namespace
