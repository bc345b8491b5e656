#include "statistics/sorted_values.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace statistics {

void require_finite(std::span<const double> values) {
  if (!std::ranges::all_of(values, [](double value) { return std::isfinite(value); })) {
    throw std::invalid_argument("compare: a rate is not a finite number");
  }
}

std::vector<double> sorted_values(std::span<const double> values) {
  require_finite(values);
  std::vector<double> sorted(values.begin(), values.end());
  std::ranges::sort(sorted);
  return sorted;
}

} // namespace statistics
