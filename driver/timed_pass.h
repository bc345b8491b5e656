#pragma once

#include <cstdint>

namespace driver {

// Runs `outer` outer iterations of the workload with inner count `inner` and
// returns the seconds they took. Nothing else happens between the two clock
// readings.
double time_outer_iterations(std::int32_t outer, std::int32_t inner);

} // namespace driver
