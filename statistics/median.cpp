#include "statistics/median.h"

#include "statistics/sorted_values.h"

#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

namespace statistics {

double median_of_sorted(std::span<const double> sorted) {
  if (sorted.empty()) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  const std::size_t middle = sorted.size() / 2;
  if (sorted.size() % 2 == 1) {
    return sorted[middle];
  }
  // std::midpoint cannot overflow, as the sum of two large rates could.
  return std::midpoint(sorted[middle - 1], sorted[middle]);
}

double median(std::span<const double> values) { return median_of_sorted(sorted_values(values)); }

double median_absolute_deviation(std::span<const double> values) {
  const std::vector<double> sorted = sorted_values(values);
  const double centre = median_of_sorted(sorted);
  std::vector<double> deviations;
  deviations.reserve(sorted.size());
  for (const double value : sorted) {
    deviations.push_back(std::fabs(value - centre));
  }
  return median(deviations);
}

} // namespace statistics
