#include "driver/timed_pass.h"

#include "driver/clock.h"
#include "workload/outer_iteration.h"

namespace driver {

double time_outer_iterations(std::int32_t outer, std::int32_t inner) {
  const auto iterations = static_cast<std::uint32_t>(outer);
  const double start = wall_seconds();
  for (std::uint32_t i = 0; i < iterations; ++i) {
    workload::run_outer_iteration(inner);
  }
  const double end = wall_seconds();
  return end - start;
}

} // namespace driver
