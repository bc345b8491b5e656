#include "report/report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using namespace pass;
using namespace report;

TEST(Report, PassHeaderPadsEachField) {
  EXPECT_EQ(pass_header(1, 5, 10), "\n\n Pass #  1:     5 outer loop(s),   10 inner loop(s)");
  // A doubled inner count of 2^30 wraps to the most negative 32-bit value.
  EXPECT_EQ(pass_header(2, 0, -2147483647 - 1),
            "\n\n Pass #  2:     0 outer loop(s),-2147483648 inner loop(s)");
}

TEST(Report, RuleLineIsFiftyOneStrokes) {
  EXPECT_EQ(rule_line(RuleStyle::code_page_437), "\n" + std::string(51, '\xCD'));
  std::string utf8 = "\n";
  for (int i = 0; i < 51; ++i) {
    utf8 += "\xE2\x95\x90";
  }
  EXPECT_EQ(rule_line(RuleStyle::utf8), utf8);
}

TEST(Report, ResultsShowTheRateInUnitsOf1024) {
  EXPECT_EQ(pass_results({2.5, 102400.0}),
            "\nElapsed time =    2.50 seconds\nWhetstones   =  100.00 double-precision megaWhets/second");
}

TEST(Report, ComparisonBlockEndsWithTwoBreaksAndBell) {
  // Pass 2 took 0.5 s more than twice pass 1; pass 1's rate was 25 % higher.
  EXPECT_EQ(
      comparison_block({1.0, 1024.0 * 250.0}, {2.5, 1024.0 * 200.0}),
      "\n\n Time error  =    0.50 seconds\n Whet error  =   50.00 megawhets/sec\n %    error  =   25.00 % "
      "whet error\n\n\a");
}

TEST(Report, ExactDoublingShowsNoError) {
  const double units = work_units(10, 5);
  const PassFigures first{1.25, pass_rate(units, 1.25)};
  const PassFigures second{2.5, pass_rate(work_units(20, 5), 2.5)};
  EXPECT_EQ(comparison_block(first, second), "\n\n Time error  =    0.00 seconds\n Whet error  =    0.00 "
                                             "megawhets/sec\n %    error  =    0.00 % whet error\n\n\a");
}

struct AdviceCase {
  double total;
  const char *expected;
};

class Advice : public ::testing::TestWithParam<AdviceCase> {};

TEST_P(Advice, IsDecidedOnTheUnroundedTotal) {
  EXPECT_EQ(advice(GetParam().total, {20000, 10}), GetParam().expected);
}

// --auto chose the counts for the seconds asked for: the user has no count
// of theirs to enlarge.
TEST(Advice, IsNotGivenOnCountsTheProgramChose) {
  EXPECT_EQ(advice(4.0, {20000, 10, 5.0}), "");
  EXPECT_FALSE(pass::advice_needed(4.0, {20000, 10, 5.0}));
  EXPECT_TRUE(pass::advice_needed(4.0, {20000, 10}));
}

INSTANTIATE_TEST_SUITE_P(
    Totals, Advice,
    ::testing::Values(AdviceCase{9.6, "\nTIME(10) is less than 10 seconds -- suggest larger inner loop"},
                      AdviceCase{9.9999, "\nTIME(10) is less than 10 seconds -- suggest larger inner loop"},
                      AdviceCase{0.0, "\nTIME(0) is less than 10 seconds -- suggest larger inner loop"},
                      AdviceCase{10.0, ""}, AdviceCase{125.0, ""},
                      AdviceCase{std::numeric_limits<double>::quiet_NaN(), ""}));

} // namespace
