#include "compare/group_comparison.h"

#include "statistics/median.h"
#include "statistics/open_probability.h"
#include "statistics/records_needed.h"

#include <limits>

namespace compare {

namespace {

double change_percent(double base_median, double group_median) {
  if (!(base_median > 0.0)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return (group_median / base_median - 1.0) * 100.0;
}

} // namespace

GroupComparison compare_with_base(std::span<const double> base, std::span<const double> group, double alpha) {
  statistics::require_open_probability(alpha, "significance level");
  GroupComparison comparison;
  comparison.change_percent = change_percent(statistics::median(base), statistics::median(group));
  comparison.test = statistics::mann_whitney(group, base);
  comparison.enough_records =
      base.size() >= statistics::least_records_per_group && group.size() >= statistics::least_records_per_group;
  comparison.significant = comparison.enough_records && comparison.test.p_value < alpha;
  if (!comparison.significant && !base.empty() && !group.empty()) {
    const double pairs = static_cast<double>(base.size()) * static_cast<double>(group.size());
    comparison.records_needed = statistics::records_needed(comparison.test.u / pairs, alpha);
  }
  return comparison;
}

} // namespace compare
