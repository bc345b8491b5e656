#pragma once

#include <limits>

namespace record {

// What a record says of its passes beyond what a comparison of runs keeps:
// the counts the program was asked for, each pass's elapsed seconds, and
// pass 2's work per processor second and its fastest group by processor
// time, in megaWhets/second; what a program run for one slice of an A/B
// comparison is held to and judged by. Each is not a number where the
// record gives none (an older program's, or a system whose processor clock
// is too coarse), and none makes a record no record. Handed on beside the
// run rather than within it, so that the million runs a comparison may
// keep stay small.
struct RunDetails {
  double inner = std::numeric_limits<double>::quiet_NaN();
  double outer = std::numeric_limits<double>::quiet_NaN();
  double elapsed_seconds[2] = {std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::quiet_NaN()};
  double processor_rate = std::numeric_limits<double>::quiet_NaN();
  double processor_steady = std::numeric_limits<double>::quiet_NaN();
};

} // namespace record
