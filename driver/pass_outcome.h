#pragma once

#include "driver/report.h"
#include "driver/steady_figures.h"
#include "driver/timed_pass.h"

#include <cstdint>

namespace driver {

// Everything a timed pass measured, for the report, the warnings and the
// run's record to read.
struct PassOutcome {
  int number = 0;
  std::int32_t outer = 0;
  std::int32_t inner = 0;
  PassTiming timing{};
  PassFigures figures{};
  SteadyFigures steady{};
};

} // namespace driver
