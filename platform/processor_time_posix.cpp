#include "platform/processor_time.h"

#include <cmath>
#include <ctime>

namespace platform {
namespace {

double seconds(const timespec &time) { return static_cast<double>(time.tv_sec) + time.tv_nsec * 1e-9; }

} // namespace

// Not a number where the clock cannot be read, so that no pass is judged on
// a reading that was never taken.
double processor_seconds() {
  timespec now{};
  return clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now) == 0 ? seconds(now) : std::nan("");
}

double thread_processor_seconds() {
  timespec now{};
  return clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) == 0 ? seconds(now) : std::nan("");
}

double processor_clock_step() {
  timespec step{};
  return clock_getres(CLOCK_PROCESS_CPUTIME_ID, &step) == 0 ? seconds(step) : std::nan("");
}

} // namespace platform
