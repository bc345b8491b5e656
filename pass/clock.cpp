#include "pass/clock.h"

#include <chrono>

namespace pass {

double wall_seconds() {
  const auto since_epoch = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration<double>(since_epoch).count();
}

} // namespace pass
