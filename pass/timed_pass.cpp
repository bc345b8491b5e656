#include "pass/timed_pass.h"

#include "pass/clock.h"
#include "platform/processor_time.h"
#include "workload/outer_iteration.h"

#include <limits>

namespace pass {
namespace {

constexpr double coarsest_group_processor_step = 1e-4; // seconds

} // namespace

PassTiming time_outer_iterations(std::int32_t outer, std::int32_t inner) {
  const auto iterations = static_cast<std::uint32_t>(outer);
  IterationGroups groups{.outer_per_group = outer_iterations_per_group(inner)};
  const double processor_start = platform::processor_seconds();
  const double start = wall_seconds();
  double group_start = start;
  double group_processor_start = platform::thread_processor_seconds();
  std::uint32_t in_group = 0;
  for (std::uint32_t i = 0; i < iterations; ++i) {
    workload::run_outer_iteration(inner);
    if (groups.outer_per_group != 0 && ++in_group == groups.outer_per_group) {
      const double now = wall_seconds();
      const double processor_now = platform::thread_processor_seconds();
      groups.add(now - group_start, processor_now - group_processor_start);
      group_start = now;
      group_processor_start = processor_now;
      in_group = 0;
    }
  }
  const double end = wall_seconds();
  const double processor_end = platform::processor_seconds();
  // A processor clock that advances only at the system's tick (Windows:
  // 15.6 ms) cannot time a group of a few milliseconds: no figure rather
  // than a wrong one.
  if (!(platform::processor_clock_step() <= coarsest_group_processor_step)) {
    groups.fastest_processor = std::numeric_limits<double>::quiet_NaN();
  }
  return {.elapsed = end - start,
          .processor = processor_end - processor_start,
          .groups = groups,
          .start = start,
          .end = end};
}

} // namespace pass
