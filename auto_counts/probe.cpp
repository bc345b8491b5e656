#include "auto_counts/probe.h"

#include "pass/clock.h"
#include "workload/outer_iteration.h"
#include "workload/subnormal_limit.h"

#include <cstdint>

namespace auto_counts {
namespace {

constexpr std::int32_t largest_probe_inner = workload::largest_inner_count_without_subnormals / 2;

double seconds_for(std::int32_t inner, std::uint32_t outer) {
  const double start = pass::wall_seconds();
  for (std::uint32_t i = 0; i < outer; ++i) {
    workload::run_outer_iteration(inner);
  }
  return pass::wall_seconds() - start;
}

} // namespace

double seconds_per_unit(double budget_seconds) {
  // Small inner counts cost mostly the blocks' set-up; an inner count whose
  // outer iteration takes a twentieth of the budget is dominated by the work.
  std::int32_t inner = 1;
  while (inner < largest_probe_inner && seconds_for(inner, 1) < budget_seconds / 20) {
    inner = inner * 2 < largest_probe_inner ? inner * 2 : largest_probe_inner;
  }
  // The passes run at the machine's average speed, so the probe measures that
  // too: the total over several outer iterations.
  std::uint32_t outer = 0;
  double elapsed = 0;
  const double start = pass::wall_seconds();
  while (outer < 3 || elapsed < budget_seconds / 2) {
    workload::run_outer_iteration(inner);
    ++outer;
    elapsed = pass::wall_seconds() - start;
  }
  return elapsed / (static_cast<double>(outer) * inner);
}

} // namespace auto_counts
