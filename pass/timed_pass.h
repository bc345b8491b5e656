#pragma once

#include "pass/iteration_groups.h"

#include <cstdint>

namespace pass {

struct PassTiming {
  double elapsed = 0;   // wall-clock seconds: the figure the report gives
  double processor = 0; // processor seconds the process used around them
  IterationGroups groups{};
  double start = 0; // the wall-clock readings around the pass, which copies
  double end = 0;   // of the run compare with one another
};

// Runs `outer` outer iterations of the workload with inner count `inner` and
// times them. Between the two wall-clock readings the same clock and the
// thread's processor clock are read after every group of outer iterations
// and nothing else happens; the process's processor clock is read just
// outside them.
PassTiming time_outer_iterations(std::int32_t outer, std::int32_t inner);

} // namespace pass
