#include "auto_counts/count_choice.h"

#include "workload/subnormal_limit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace auto_counts {
namespace {

// Pass 2 runs twice the inner count, which must stay at or below the limit.
constexpr double largest_inner = workload::largest_inner_count_without_subnormals / 2;

// The largest of 1, 2, 5, 10, 20, 50, ... that is at most `limit`, or 1.
double largest_round_count(double limit) {
  double chosen = 1.0;
  for (double power = 1.0; power <= limit; power *= 10.0) {
    for (const double step : {1.0, 2.0, 5.0}) {
      if (step * power <= limit) {
        chosen = step * power;
      }
    }
  }
  return chosen;
}

} // namespace

pass::Counts choose_counts(double seconds_per_unit, double seconds) {
  // A measurement that is not a positive number is taken as the fastest
  // machine imaginable, which gives the largest counts rather than none.
  const double smallest_unit = std::numeric_limits<double>::min();
  const double per_unit = seconds_per_unit > smallest_unit ? seconds_per_unit : smallest_unit;
  // Pass 1 does inner x outer units and pass 2 twice as many.
  const double units = aimed_share_of_seconds * seconds / (3.0 * per_unit);
  const double inner = largest_round_count(std::min(units / least_groups_per_pass, largest_inner));
  const double outer = std::clamp(std::round(units / inner), 1.0,
                                  static_cast<double>(std::numeric_limits<std::int32_t>::max()));
  return {static_cast<std::int32_t>(inner), static_cast<std::int32_t>(outer), seconds};
}

} // namespace auto_counts
