// The answer from a comparison's rounds: the verdict each interval gives,
// too few rounds for any, and the rounds a decision would take.

#include "ab/paired_answer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

// n rounds around a change of `percent`, spread evenly over +-spread
// percent, alternately above and below.
std::vector<double> rounds_around(double percent, double spread, std::size_t n) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < n; ++i) {
    const double offset = spread * (static_cast<double>(i / 2) + 1.0) / static_cast<double>(n) * (i % 2 ? 1 : -1);
    ratios.push_back(std::log1p((percent + offset) / 100.0));
  }
  return ratios;
}

struct AnswerCase {
  const char *name;
  double percent;
  double spread;
  std::size_t rounds;
  ab::Verdict verdict;
  bool range;
  bool rounds_to_decide;
};

class PairedAnswer : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(PairedAnswer, GivesTheVerdictItsIntervalSays) {
  const AnswerCase &given = GetParam();
  const ab::Answer answer = ab::paired_answer(rounds_around(given.percent, given.spread, given.rounds), 0.05, 1.0);
  EXPECT_EQ(answer.verdict, given.verdict);
  EXPECT_EQ(answer.interval_is_range, given.range);
  EXPECT_EQ(answer.rounds_to_decide.has_value(), given.rounds_to_decide);
  if (answer.rounds_to_decide) {
    EXPECT_GT(*answer.rounds_to_decide, given.rounds);
  }
  EXPECT_NEAR(answer.change_percent, given.percent, given.spread / 2);
  EXPECT_LE(answer.low_percent, answer.change_percent);
  EXPECT_GE(answer.high_percent, answer.change_percent);
  EXPECT_DOUBLE_EQ(answer.confidence, 0.95);
  EXPECT_EQ(answer.rounds, given.rounds);
}

INSTANTIATE_TEST_SUITE_P(
    Rounds, PairedAnswer,
    ::testing::Values(AnswerCase{"Slower", -5.0, 2.0, 20, ab::Verdict::slower, false, false},
                      AnswerCase{"Faster", 3.0, 2.0, 20, ab::Verdict::faster, false, false},
                      AnswerCase{"SameWithinTheThreshold", 0.0, 0.8, 20, ab::Verdict::same, false, false},
                      AnswerCase{"TooSpreadToSay", 0.5, 8.0, 12, ab::Verdict::undecided, false, true},
                      AnswerCase{"TooFewRoundsForAnInterval", -5.0, 1.0, 5, ab::Verdict::undecided, true, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PairedAnswer, WithoutRoundsSaysNothing) {
  const ab::Answer answer = ab::paired_answer({}, 0.05, 1.0);
  EXPECT_EQ(answer.verdict, ab::Verdict::undecided);
  EXPECT_TRUE(std::isnan(answer.change_percent));
  EXPECT_FALSE(answer.rounds_to_decide);
}

} // namespace
