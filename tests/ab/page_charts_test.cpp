// The page's charts scale to what the reader needs to see: the answer and
// the bulk of the rounds, not one round far out; and the names at the ends
// of A's and B's lines never cover each other.

#include "ab/page_charts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <regex>
#include <string>
#include <vector>

namespace {

// Rounds of the given changes in percent, each of two slices whose rates
// give the change, and an answer about their middle.
ab::PairedComparison comparison_of(const std::vector<double> &changes) {
  ab::PairedComparison comparison;
  comparison.settings.threshold_percent = 1.0;
  for (std::size_t k = 0; k < changes.size(); ++k) {
    const double a = 10000.0;
    const double b = a * (1.0 + changes[k] / 100.0);
    comparison.slices.push_back({.round = k + 1, .program = 0, .start_seconds = k * 1.0, .steady = a, .rate = a});
    comparison.slices.push_back({.round = k + 1, .program = 1, .start_seconds = k + 0.5, .steady = b, .rate = b});
    comparison.rounds.push_back({.number = k + 1,
                                 .a_slice = 2 * k,
                                 .b_slice = 2 * k + 1,
                                 .log_ratio = std::log1p(changes[k] / 100.0)});
  }
  comparison.answer = {.rounds = changes.size(), .change_percent = -0.3, .low_percent = -1.1, .high_percent = 0.2};
  comparison.unpaired = {.shift_low_percent = -2.0, .shift_high_percent = 1.5};
  return comparison;
}

std::vector<double> numbers_after(const std::string &svg, const std::string &attribute) {
  std::vector<double> found;
  const std::regex pattern(attribute + "=\"([-0-9.e+]+)\"");
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), pattern); it != std::sregex_iterator(); ++it) {
    found.push_back(std::stod((*it)[1]));
  }
  return found;
}

TEST(RatiosChart, ScalesToTheAnswerAndTheBulkAndMarksARoundFarOutAsOffTheScale) {
  struct Case {
    double far_out;       // one round's change, in percent
    std::size_t off;      // rounds drawn off the scale
    const char *edge;     // the edge it is drawn on
  };
  for (const Case &one : {Case{30.0, 1, "above"}, Case{-25.0, 1, "below"}, Case{0.6, 0, ""}}) {
    std::vector<double> changes;
    for (int k = 0; k < 20; ++k) {
      changes.push_back(-0.3 + 0.05 * (k % 7 - 3));
    }
    changes.push_back(one.far_out);
    const ab::PairedComparison comparison = comparison_of(changes);
    const std::string svg = ab::ratios_chart(comparison);
    EXPECT_EQ(ab::rounds_off_scale(comparison), one.off) << one.far_out;
    const std::size_t axis = svg.find("data-axis=\"vertical\"");
    ASSERT_NE(axis, std::string::npos);
    const std::vector<double> ticks = numbers_after(svg.substr(axis, svg.find("</g>", axis) - axis), "data-tick");
    ASSERT_FALSE(ticks.empty());
    if (one.off > 0) {
      EXPECT_NE(svg.find(std::string("data-off-scale=\"") + one.edge + "\""), std::string::npos) << svg;
      EXPECT_LT(*std::max_element(ticks.begin(), ticks.end()), 10.0) << one.far_out;
      EXPECT_GT(*std::min_element(ticks.begin(), ticks.end()), -10.0) << one.far_out;
    } else {
      EXPECT_EQ(svg.find("data-off-scale"), std::string::npos) << svg;
    }
  }
}

TEST(FiguresChart, NamesLinesThatEndTogetherApart) {
  const ab::PairedComparison comparison = comparison_of({0.5, -0.2, 0.0});
  const std::string svg = ab::figures_chart(comparison);
  const std::regex label("class=\"end-label [^\"]*\" x=\"[-0-9.]+\" y=\"([-0-9.]+)\"");
  std::vector<double> heights;
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), label); it != std::sregex_iterator(); ++it) {
    heights.push_back(std::stod((*it)[1]));
  }
  ASSERT_EQ(heights.size(), 2U) << svg;
  EXPECT_GE(std::fabs(heights[0] - heights[1]), 13.0 - 1e-9);
}

} // namespace
