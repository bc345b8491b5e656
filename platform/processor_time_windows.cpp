#include "platform/processor_time.h"

#include <cmath>
#include <windows.h>

namespace platform {
namespace {

double seconds(const FILETIME &time) {
  const ULONGLONG ticks = (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return static_cast<double>(ticks) * 1e-7; // 100 ns units
}

} // namespace

// Not a number where the times cannot be read, so that no pass is judged on
// a reading that was never taken.
double processor_seconds() {
  FILETIME created{};
  FILETIME exited{};
  FILETIME kernel{};
  FILETIME user{};
  if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user) == 0) {
    return std::nan("");
  }
  return seconds(kernel) + seconds(user);
}

double thread_processor_seconds() {
  FILETIME created{};
  FILETIME exited{};
  FILETIME kernel{};
  FILETIME user{};
  if (GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user) == 0) {
    return std::nan("");
  }
  return seconds(kernel) + seconds(user);
}

// Process times are kept in 100 ns units but only advance at the system's
// clock interrupt, 15.625 ms by default.
double processor_clock_step() {
  DWORD adjustment = 0;
  DWORD increment = 0;
  BOOL disabled = FALSE;
  if (GetSystemTimeAdjustment(&adjustment, &increment, &disabled) == 0 || increment == 0) {
    return std::nan("");
  }
  return static_cast<double>(increment) * 1e-7;
}

} // namespace platform
