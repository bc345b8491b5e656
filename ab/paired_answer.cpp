#include "ab/paired_answer.h"

#include "compare/group_comparison.h"
#include "statistics/hodges_lehmann.h"
#include "statistics/median.h"
#include "statistics/median_interval.h"
#include "statistics/signed_rank.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ab {
namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

// The most rounds a comparison may be asked to run: beyond it, "undecided"
// says no more than that the difference is too small to find.
constexpr double most_rounds_to_decide = 100000;

double percent(double log_ratio) { return std::expm1(log_ratio) * 100.0; }

Verdict verdict_of(double low_percent, double high_percent, double threshold_percent) {
  if (low_percent > 0.0) {
    return Verdict::faster;
  }
  if (high_percent < 0.0) {
    return Verdict::slower;
  }
  if (-threshold_percent < low_percent && high_percent < threshold_percent) {
    return Verdict::same;
  }
  return Verdict::undecided;
}

// An interval's half-width shrinks as the square root of the rounds: the
// rounds at which it would leave out 0, or fit inside the threshold,
// whichever comes first, at the spread seen.
std::optional<std::size_t> rounds_to_decide(std::size_t rounds, double estimate, double low, double high,
                                            double threshold_percent) {
  const double half_width = (high - low) / 2.0;
  const double threshold = std::log1p(threshold_percent / 100.0);
  double needed = most_rounds_to_decide + 1.0;
  for (const double room : {std::fabs(estimate), threshold - std::fabs(estimate)}) {
    if (room > 0.0 && half_width > 0.0) {
      needed = std::min(needed, std::ceil(static_cast<double>(rounds) * (half_width / room) * (half_width / room)));
    }
  }
  if (!(needed <= most_rounds_to_decide)) {
    return std::nullopt;
  }
  return std::max(static_cast<std::size_t>(needed), rounds + 1);
}

} // namespace

Answer paired_answer(std::span<const double> log_ratios, double alpha, double threshold_percent) {
  Answer answer{.rounds = log_ratios.size(), .confidence = 1.0 - alpha};
  if (log_ratios.empty()) {
    answer.change_percent = answer.low_percent = answer.high_percent = answer.p_value = not_a_number;
    return answer;
  }
  const statistics::HodgesLehmann estimate = statistics::location_estimate(log_ratios, 1.0 - alpha);
  answer.change_percent = percent(estimate.estimate);
  answer.p_value = statistics::wilcoxon_signed_rank(log_ratios).p_value;
  if (!estimate.interval) {
    // Too few rounds for the level: the range, which decides nothing.
    const auto [least, most] = std::minmax_element(log_ratios.begin(), log_ratios.end());
    answer.low_percent = percent(*least);
    answer.high_percent = percent(*most);
    answer.interval_is_range = true;
    return answer;
  }
  const double low = estimate.interval->low;
  const double high = estimate.interval->high;
  answer.low_percent = percent(low);
  answer.high_percent = percent(high);
  answer.verdict = verdict_of(answer.low_percent, answer.high_percent, threshold_percent);
  if (answer.verdict == Verdict::undecided) {
    answer.rounds_to_decide = rounds_to_decide(log_ratios.size(), estimate.estimate, low, high, threshold_percent);
  }
  return answer;
}

UnpairedView unpaired_view(std::span<const double> a, std::span<const double> b) {
  UnpairedView view;
  if (a.empty() || b.empty()) {
    view.change_percent = view.p_value = view.a_median = view.b_median = not_a_number;
    view.a_low = view.a_high = view.b_low = view.b_high = not_a_number;
    view.shift_low_percent = view.shift_high_percent = not_a_number;
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
  // The U test's own interval for the shift between the logs of the
  // figures: the unpaired counterpart of the pairs' interval.
  std::vector<double> log_a;
  std::vector<double> log_b;
  for (const double figure : a) {
    log_a.push_back(std::log(figure));
  }
  for (const double figure : b) {
    log_b.push_back(std::log(figure));
  }
  const statistics::HodgesLehmann shift = statistics::shift_estimate(log_a, log_b);
  view.shift_low_percent = shift.interval ? percent(shift.interval->low) : not_a_number;
  view.shift_high_percent = shift.interval ? percent(shift.interval->high) : not_a_number;
  return view;
}

} // namespace ab
