#include "pass/steady_figures.h"

#include "pass/figures.h"

#include <limits>

namespace pass {

SteadyFigures steady_figures(const IterationGroups &groups, std::int32_t inner) {
  if (groups.full == 0) {
    return {};
  }
  // A group's work never wraps: it is one outer iteration, or fewer than
  // least_group_work units.
  const double units = static_cast<double>(groups.outer_per_group) * static_cast<std::uint32_t>(inner);
  return {.groups = groups.full,
          .fastest_rate = pass_rate(units, groups.fastest),
          .slowest_rate = pass_rate(units, groups.slowest),
          .fastest_processor_rate = groups.fastest_processor > 0.0
                                        ? pass_rate(units, groups.fastest_processor)
                                        : std::numeric_limits<double>::quiet_NaN()};
}

} // namespace pass
