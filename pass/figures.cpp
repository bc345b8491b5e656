#include "pass/figures.h"

namespace pass {

double work_units(std::int32_t inner, std::int32_t outer) {
  return static_cast<double>(static_cast<std::uint32_t>(inner) * static_cast<std::uint32_t>(outer));
}

double pass_rate(double units, double elapsed) { return units * 100.0 / elapsed; }

std::int32_t doubled_count(std::int32_t count) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(count) * 2U);
}

Comparison compare_passes(const PassFigures &first, const PassFigures &second) {
  return {.time_error = second.elapsed - 2.0 * first.elapsed,
          .rate_error = megawhets_per_second(first.rate - second.rate),
          .percent_error = (first.rate - second.rate) / second.rate * 100.0};
}

// A total that is not a number compares false and so gives no advice.
bool advice_needed(double total_seconds, const Counts &counts) {
  return !counts.auto_seconds && total_seconds < 10.0;
}

} // namespace pass
