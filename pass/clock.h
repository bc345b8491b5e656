#pragma once

namespace pass {

// Seconds on a monotonic clock. Only differences between readings mean
// anything; they are unaffected by changes to the time of day.
double wall_seconds();

} // namespace pass
