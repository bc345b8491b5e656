// The lines under ab's table say only what happened: no mode or counts
// before the counts were found, and "within a budget" only where it was.

#include "ab/summary_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

bool has_line_with(const std::vector<std::string> &lines, const std::string &words) {
  return std::ranges::any_of(lines, [&](const std::string &line) { return line.find(words) != std::string::npos; });
}

TEST(SummaryText, EndedWhileFindingTheCountsSaysNoRoundRanAndNoMode) {
  ab::PairedComparison comparison;
  comparison.interrupted = true;
  const std::vector<std::string> lines = ab::summary_lines(comparison);
  EXPECT_TRUE(has_line_with(lines, "No round ran: the comparison ended while it found the counts"));
  EXPECT_FALSE(has_line_with(lines, "Mode:"));
  EXPECT_FALSE(has_line_with(lines, "(inner 0, outer 0)"));
}

TEST(SummaryText, SaysWithinTheBudgetOnlyWhereTheRoundsEndedWithinIt) {
  struct Case {
    double seconds;
    const char *said;
    const char *not_said;
  };
  for (const Case &one : {Case{59.9, "within a budget of 60 s", "past its budget"},
                          Case{60.0, "within a budget of 60 s", "past its budget"},
                          Case{60.4, "past its budget of 60 s", "within a budget"}}) {
    ab::PairedComparison comparison;
    comparison.settings.budget_seconds = 60.0;
    comparison.settings.slice_seconds = 0.5;
    comparison.mode_reason = "asked for with --interleaved";
    comparison.inner = 200;
    comparison.outer = 41;
    comparison.seconds = one.seconds;
    const std::vector<std::string> lines = ab::summary_lines(comparison);
    EXPECT_TRUE(has_line_with(lines, one.said)) << one.seconds;
    EXPECT_FALSE(has_line_with(lines, one.not_said)) << one.seconds;
  }
}

} // namespace
