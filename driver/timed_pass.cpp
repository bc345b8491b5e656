#include "driver/timed_pass.h"

#include "driver/clock.h"
#include "driver/platform.h"
#include "workload/outer_iteration.h"

namespace driver {

PassTiming time_outer_iterations(std::int32_t outer, std::int32_t inner) {
  const auto iterations = static_cast<std::uint32_t>(outer);
  const double processor_start = processor_seconds();
  const double start = wall_seconds();
  for (std::uint32_t i = 0; i < iterations; ++i) {
    workload::run_outer_iteration(inner);
  }
  const double end = wall_seconds();
  const double processor_end = processor_seconds();
  return {.elapsed = end - start, .processor = processor_end - processor_start};
}

} // namespace driver
