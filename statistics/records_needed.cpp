#include "statistics/records_needed.h"

#include "statistics/mann_whitney.h"
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

constexpr std::size_t most_records_to_separate = 1000000;

// Past n = 515 C(2n, n) overflows to infinity, and 2 / infinity = 0 ends
// the loop for any alpha.
std::size_t least_records_apart_without_ties(double alpha) {
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
    return least_records_apart_without_ties(alpha);
  }
  return noether_records(superiority, alpha);
}

double least_p_value(std::size_t n1, std::size_t n2) {
  const auto cubed_less_one = [](std::size_t n) {
    const double size = static_cast<double>(n);
    return size * size * size - size;
  };
  const double apart = static_cast<double>(n1) * static_cast<double>(n2);
  return u_normal_approximation_p(apart, n1, n2, cubed_less_one(n1) + cubed_less_one(n2));
}

std::optional<std::size_t> least_records_to_separate(double alpha, std::size_t n_other) {
  require_open_probability(alpha, "significance level");
  // The least p falls as the group grows, so the least size that reaches
  // alpha is found by halving.
  if (!(least_p_value(most_records_to_separate, n_other) < alpha)) {
    return std::nullopt;
  }
  std::size_t too_few = 0;
  std::size_t enough = most_records_to_separate;
  while (enough - too_few > 1) {
    const std::size_t middle = too_few + (enough - too_few) / 2;
    (least_p_value(middle, n_other) < alpha ? enough : too_few) = middle;
  }
  return enough;
}

} // namespace statistics
