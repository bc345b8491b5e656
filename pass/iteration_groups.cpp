#include "pass/iteration_groups.h"

namespace pass {

std::uint32_t outer_iterations_per_group(std::int32_t inner) {
  const auto work = static_cast<std::uint32_t>(inner);
  if (work == 0) {
    return 0;
  }
  return work >= least_group_work ? 1 : (least_group_work + work - 1) / work;
}

} // namespace pass
