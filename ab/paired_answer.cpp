#include "ab/paired_answer.h"

#include "compare/group_comparison.h"
#include "statistics/median.h"
#include "statistics/median_interval.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace ab {

// PLACEHOLDER until the signed-rank statistics land: mean and 2 SE.
Answer paired_answer(std::span<const double> log_ratios, double alpha, double threshold_percent) {
  Answer answer{.rounds = log_ratios.size(), .confidence = 1 - alpha};
  const double n = static_cast<double>(log_ratios.size());
  if (log_ratios.size() < 2) {
    answer.change_percent = answer.low_percent = answer.high_percent = std::nan("");
    return answer;
  }
  const double mean = std::accumulate(log_ratios.begin(), log_ratios.end(), 0.0) / n;
  double ss = 0;
  for (double d : log_ratios) ss += (d - mean) * (d - mean);
  const double se = std::sqrt(ss / (n - 1) / n);
  answer.change_percent = std::expm1(mean) * 100;
  answer.low_percent = std::expm1(mean - 2.5 * se) * 100;
  answer.high_percent = std::expm1(mean + 2.5 * se) * 100;
  answer.p_value = std::nan("");
  if (answer.low_percent > 0) answer.verdict = Verdict::faster;
  else if (answer.high_percent < 0) answer.verdict = Verdict::slower;
  else if (answer.low_percent > -threshold_percent && answer.high_percent < threshold_percent) answer.verdict = Verdict::same;
  return answer;
}

UnpairedView unpaired_view(std::span<const double> a, std::span<const double> b) {
  UnpairedView view;
  if (a.empty() || b.empty()) {
    view.change_percent = view.a_median = view.b_median = std::nan("");
    view.a_low = view.a_high = view.b_low = view.b_high = std::nan("");
    return view;
  }
  const compare::GroupComparison compared = compare::compare_with_base(a, b);
  view.change_percent = compared.change_percent;
  view.p_value = compared.test.p_value;
  view.a_median = statistics::median(a);
  view.b_median = statistics::median(b);
  const auto a_interval = statistics::median_interval(a);
  const auto b_interval = statistics::median_interval(b);
  view.intervals_are_ranges = !a_interval || !b_interval;
  const auto [a_min, a_max] = std::minmax_element(a.begin(), a.end());
  const auto [b_min, b_max] = std::minmax_element(b.begin(), b.end());
  view.a_low = a_interval ? a_interval->low : *a_min;
  view.a_high = a_interval ? a_interval->high : *a_max;
  view.b_low = b_interval ? b_interval->low : *b_min;
  view.b_high = b_interval ? b_interval->high : *b_max;
  return view;
}

} // namespace ab
