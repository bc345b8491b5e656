#include "statistics/normal_distribution.h"

#include "statistics/open_probability.h"

#include <cmath>
#include <numbers>
#include <numeric>

namespace statistics {

double normal_upper_tail(double z) { return 0.5 * std::erfc(z / std::numbers::sqrt2); }

double normal_quantile(double probability) {
  require_open_probability(probability, "probability of a normal quantile");
  // Bisection: it is wanted for a few probabilities per comparison, and
  // converges to the last bit without a starting guess. Beyond +-40 the tail
  // is below the smallest double.
  double low = -40.0;
  double high = 40.0;
  for (;;) {
    const double middle = std::midpoint(low, high);
    if (middle == low || middle == high) {
      return middle;
    }
    (normal_upper_tail(-middle) < probability ? low : high) = middle;
  }
}

} // namespace statistics
