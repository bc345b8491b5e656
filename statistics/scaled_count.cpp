#include "statistics/scaled_count.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace statistics {

namespace {

constexpr int rescale_above = 900;
constexpr int rescale_by = 600;

ScaledCount normalized(double significand, long exponent) {
  int shift = 0;
  const double fraction = std::frexp(significand, &shift);
  return {.significand = fraction, .exponent = fraction == 0.0 ? 0 : exponent + shift};
}

// ldexp takes an int: beyond its range every double has long since become 0
// or infinity, so clamping changes nothing.
double scaled(double value, long exponent) {
  return std::ldexp(value, static_cast<int>(std::clamp(exponent, long{INT_MIN / 2}, long{INT_MAX / 2})));
}

} // namespace

ScaledCount ScaledCount::times(double factor) const { return normalized(significand * factor, exponent); }

ScaledCount orderings(std::size_t n1, std::size_t n2) {
  const std::size_t smaller = std::min(n1, n2);
  const double larger = static_cast<double>(std::max(n1, n2));
  ScaledCount count;
  // C(larger + i, i) = C(larger + i - 1, i - 1) (larger + i) / i.
  for (std::size_t i = 1; i <= smaller; ++i) {
    const double step = static_cast<double>(i);
    count = count.times((larger + step) / step);
  }
  return count;
}

void ScaledTable::keep_in_range(double largest) {
  if (largest <= std::ldexp(1.0, rescale_above)) {
    return;
  }
  for (double &count : counts) {
    count = std::ldexp(count, -rescale_by);
  }
  exponent += rescale_by;
}

std::vector<double> cumulative_probabilities(const std::vector<double> &counts, long counts_exponent,
                                             ScaledCount total) {
  std::vector<double> cumulative;
  cumulative.reserve(counts.size());
  // Neumaier's summation: the lost low bits of each addition are kept apart.
  double sum = 0.0;
  double lost = 0.0;
  for (const double count : counts) {
    const double next = sum + count;
    lost += std::fabs(sum) >= std::fabs(count) ? (sum - next) + count : (count - next) + sum;
    sum = next;
    cumulative.push_back(scaled((sum + lost) / total.significand, counts_exponent - total.exponent));
  }
  return cumulative;
}

} // namespace statistics
