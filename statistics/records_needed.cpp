#include "statistics/records_needed.h"

#include "statistics/normal_distribution.h"
#include "statistics/open_probability.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace statistics {

namespace {

std::size_t within_bounds(std::size_t records) {
  return std::clamp(records, least_records_per_group, most_records_needed);
}

// Past n = 515 C(2n, n) overflows to infinity, and 2 / infinity = 0 ends
// the loop for any alpha.
std::size_t least_records_to_separate(double alpha) {
  double orderings = 2.0; // C(2n, n) at n = 1
  std::size_t n = 1;
  while (2.0 / orderings >= alpha) {
    ++n;
    orderings *= static_cast<double>(2 * n) * static_cast<double>(2 * n - 1) /
                 (static_cast<double>(n) * static_cast<double>(n));
  }
  return within_bounds(n);
}

std::size_t noether_records(double superiority, double alpha) {
  const double z_sum = normal_quantile(1.0 - alpha / 2.0) + normal_quantile(planned_power);
  const double effect = superiority - 0.5;
  const double numerator = z_sum * z_sum;
  const double denominator = 6.0 * effect * effect;
  if (denominator * static_cast<double>(most_records_needed) <= numerator) {
    return most_records_needed;
  }
  return within_bounds(static_cast<std::size_t>(std::ceil(numerator / denominator)));
}

} // namespace

std::size_t records_needed(double superiority, double alpha) {
  require_open_probability(alpha, "significance level");
  if (!(superiority >= 0.0 && superiority <= 1.0)) {
    throw std::invalid_argument("compare: a probability of superiority lies between 0 and 1");
  }
  if (superiority == 0.0 || superiority == 1.0) {
    return least_records_to_separate(alpha);
  }
  return noether_records(superiority, alpha);
}

} // namespace statistics
