#include "compare/group_comparison.h"

#include "statistics/hodges_lehmann.h"
#include "statistics/median.h"
#include "statistics/open_probability.h"
#include "statistics/records_needed.h"

#include <limits>

namespace compare {

namespace {

// Figures against the base's median mean nothing where it is not positive.
double percent_of(double value, double base_median) {
  if (!(base_median > 0.0)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return value / base_median * 100.0;
}

double change_percent(double base_median, double group_median) {
  if (!(base_median > 0.0)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return (group_median / base_median - 1.0) * 100.0;
}

Direction direction_of(const statistics::UTest &test, std::size_t base, std::size_t group) {
  const double mean = static_cast<double>(base) * static_cast<double>(group) / 2.0;
  return test.u > mean ? Direction::faster : test.u < mean ? Direction::slower : Direction::neither;
}

} // namespace

GroupComparison compare_with_base(std::span<const double> base, std::span<const double> group, double alpha) {
  statistics::require_open_probability(alpha, "significance level");
  GroupComparison comparison;
  const double base_median = statistics::median(base);
  comparison.change_percent = change_percent(base_median, statistics::median(group));
  comparison.test = statistics::mann_whitney(group, base);
  comparison.direction = direction_of(comparison.test, base.size(), group.size());
  const statistics::HodgesLehmann shift = statistics::shift_estimate(base, group, 1.0 - alpha);
  comparison.shift_percent = percent_of(shift.estimate, base_median);
  if (shift.interval) {
    comparison.shift_interval = ShiftInterval{.low_percent = percent_of(shift.interval->low, base_median),
                                              .high_percent = percent_of(shift.interval->high, base_median),
                                              .coverage = shift.interval->coverage,
                                              .exact = shift.interval->exact};
  }
  comparison.enough_records =
      base.size() >= statistics::least_records_per_group && group.size() >= statistics::least_records_per_group;
  comparison.could_be_significant = statistics::least_p_value(base.size(), group.size()) < alpha;
  // A shift of 0 is the only way the two can disagree (hodges_lehmann.h).
  const bool found = comparison.enough_records && comparison.test.p_value < alpha;
  comparison.significant = found && shift.estimate != 0.0;
  comparison.only_ties_differ = found && shift.estimate == 0.0;
  if (!comparison.significant && !base.empty() && !group.empty()) {
    const double pairs = static_cast<double>(base.size()) * static_cast<double>(group.size());
    comparison.records_needed = statistics::records_needed(comparison.test.u / pairs, alpha);
  }
  return comparison;
}

} // namespace compare
