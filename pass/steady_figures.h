#pragma once

#include "pass/iteration_groups.h"

#include <cstdint>
#include <limits>

namespace pass {

// What a pass's groups of outer iterations say about how steady the machine
// was, in the report's units: work units × 100 per second.
struct SteadyFigures {
  std::uint64_t groups = 0; // full groups timed
  double fastest_rate = std::numeric_limits<double>::quiet_NaN();
  double slowest_rate = std::numeric_limits<double>::quiet_NaN();
  // The fastest group's rate by the thread's processor time: what the pass
  // ran at when it had the processor, whoever else was waiting for it.
  double fastest_processor_rate = std::numeric_limits<double>::quiet_NaN();
};

// Not a number for the rates of a pass without a full group.
SteadyFigures steady_figures(const IterationGroups &groups, std::int32_t inner);

} // namespace pass
