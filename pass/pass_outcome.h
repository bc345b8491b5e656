#pragma once

#include "pass/figures.h"
#include "pass/steady_figures.h"
#include "pass/timed_pass.h"

#include <cstdint>
#include <vector>

namespace pass {

// What one copy of the run measured of a pass, by its own clocks.
struct CopyOutcome {
  PassTiming timing{};
  SteadyFigures steady{};
};

// Everything a timed pass measured, for the report, the warnings and the
// run's record to read. A pass that ran in copies has the machine's figures
// here, and each copy's own in `copies`.
struct PassOutcome {
  int number = 0;
  std::int32_t outer = 0;
  std::int32_t inner = 0;
  PassTiming timing{};
  PassFigures figures{};
  SteadyFigures steady{};
  std::vector<CopyOutcome> copies{};
};

} // namespace pass
