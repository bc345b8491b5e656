#include "pass/clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

// Checks the unit and direction of the clock, not any speed: a reading
// across a pause of 50 ms must show at least 0.05 seconds.
TEST(WallSeconds, CountsTrueSecondsForward) {
  const double start = pass::wall_seconds();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const double end = pass::wall_seconds();
  EXPECT_GE(end - start, 0.05);
  EXPECT_LT(end - start, 30.0);
}

TEST(WallSeconds, NeverGoesBackAndResolvesBelowAMillisecond) {
  double previous = pass::wall_seconds();
  double smallest_step = 1.0;
  for (int i = 0; i < 100000; ++i) {
    const double now = pass::wall_seconds();
    ASSERT_GE(now, previous);
    if (now > previous && now - previous < smallest_step) {
      smallest_step = now - previous;
    }
    previous = now;
  }
  EXPECT_LT(smallest_step, 1e-6);
}

} // namespace
