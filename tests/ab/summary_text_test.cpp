// The lines under ab's table say only what happened: no mode or counts
// before the counts were found, and "within a budget" only where it was.

#include "ab/duet_check_text.h"
#include "ab/summary_text.h"
#include "ab/tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

bool has_line_with(const std::vector<std::string> &lines, const std::string &words) {
  return std::ranges::any_of(lines,
                             [&](const std::string &line) { return line.find(words) != std::string::npos; });
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

TEST(SummaryText, AnUndecidedAnswerSaysWhatToTypeForTheRoundsThatWouldDecide) {
  struct Case {
    std::size_t to_decide;
    const char *said;
  };
  for (const Case &one :
       {Case{111, "about 111 rounds in all would decide: give --rounds 111 (about 140 s here)"},
        Case{ab::most_rounds + 1, "more than one comparison runs"}}) {
    ab::PairedComparison comparison;
    comparison.seconds = 60.0;
    comparison.answer = {.rounds = 50,
                         .change_percent = 0.7,
                         .low_percent = -0.2,
                         .high_percent = 1.6,
                         .verdict = compare::Verdict::undecided,
                         .rounds_to_decide = one.to_decide};
    EXPECT_TRUE(has_line_with(ab::summary_lines(comparison), one.said)) << one.to_decide;
  }
}

TEST(SummaryText, TheProgressLineNamesItsIntervalAsNotYetTheAnswers) {
  struct Case {
    bool too_few;
    const char *said;
  };
  for (const Case &one : {Case{true, "round 3, 2 s: +0.70 %, too few rounds for an interval"},
                          Case{false, "round 3, 2 s: +0.70 %, unadjusted -0.20 .. +1.60 %"}}) {
    ab::PairedComparison comparison;
    comparison.rounds.resize(3);
    const ab::Answer answer{.rounds = 3,
                            .change_percent = 0.7,
                            .low_percent = -0.2,
                            .high_percent = 1.6,
                            .interval_is_range = one.too_few};
    const std::string line = ab::progress_line(comparison, answer, 2.0);
    EXPECT_NE(line.find(one.said), std::string::npos) << line;
    EXPECT_LE(line.size(), 79U);
  }
}

TEST(SummaryText, TheTableLeadsWithTheJudgedFigureAndTheLegendSaysSo) {
  struct Case {
    ab::Figure figure;
    std::vector<std::string> headings; // the figures' columns, after "slices"
    const char *legend;
  };
  for (const Case &one : {Case{ab::Figure::rate,
                               {"rate (judged)", "steady"},
                               "rate (judged): the figure the rounds are judged on"},
                          Case{ab::Figure::steady,
                               {"steady (judged)", "rate"},
                               "steady (judged): the figure the rounds are judged on"},
                          Case{ab::Figure::processor_rate,
                               {"processor-rate (judged)", "steady", "rate"},
                               "processor-rate (judged): the figure the rounds are judged on"}}) {
    ab::PairedComparison comparison;
    comparison.settings.figure = one.figure;
    const output::Document document = ab::comparison_document(comparison);
    std::vector<std::string> headings;
    for (std::size_t i = 3; i < 3 + one.headings.size(); ++i) {
      headings.push_back(document.table.columns.at(i).heading);
    }
    EXPECT_EQ(headings, one.headings);
    EXPECT_EQ(document.table.columns.at(3 + one.headings.size()).heading, "warned");
    EXPECT_TRUE(has_line_with(output::lines_headed(document, ab::legend_heading), one.legend)) << one.legend;
  }
}

TEST(SummaryText, AWarningTheModeLineGivesIsNotSaidAgain) {
  ab::PairedComparison comparison;
  comparison.inner = 200;
  comparison.outer = 41;
  comparison.mode_reason = "duet would mislead here: the processors differ";
  comparison.warnings = {"the processors differ", "another thing"};
  const std::vector<std::string> lines = ab::summary_lines(comparison);
  EXPECT_FALSE(has_line_with(lines, "Warning: the processors differ"));
  EXPECT_TRUE(has_line_with(lines, "Warning: another thing."));
}

TEST(DuetCheckText, NamesEachRuleTheCheckBrokeAndASlowdownWithoutADoubleNegative) {
  struct Case {
    double apart;
    double slowdown;
    std::vector<const char *> said;
    std::vector<const char *> not_said;
  };
  for (const Case &one : {Case{5.24, 6.1, {"differ by the 1 % threshold or more"}, {"or more, past"}},
                          Case{0.2, 38.6, {"slows beside itself by 10 % or more"}, {"threshold"}},
                          Case{-2.0, 12.0, {"threshold or more, and A slows beside itself"}, {}}}) {
    const std::string text = ab::duet_check_failure(
        {.processor_difference_percent = one.apart, .duet_slowdown_percent = one.slowdown}, 1.0);
    for (const char *words : one.said) {
      EXPECT_NE(text.find(words), std::string::npos) << text;
    }
    for (const char *words : one.not_said) {
      EXPECT_EQ(text.find(words), std::string::npos) << text;
    }
  }
  EXPECT_EQ(ab::beside_itself_text(-1.04), "1.0 % faster beside itself than alone");
  EXPECT_EQ(ab::beside_itself_text(6.1), "6.1 % slower beside itself than alone");
  EXPECT_EQ(ab::beside_itself_text(-0.04), "as fast beside itself as alone");
}

} // namespace
