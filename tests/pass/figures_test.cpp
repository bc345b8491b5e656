#include "pass/figures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using namespace pass;

TEST(Figures, WorkUnitsWrapAndAreUnsigned) {
  EXPECT_EQ(work_units(10, 5), 50.0);
  EXPECT_EQ(work_units(-1, 1), 4294967295.0);
  EXPECT_EQ(work_units(65536, 65536), 0.0);
  EXPECT_EQ(work_units(-2, -3), 6.0);
}

TEST(Figures, UnguardedDivisionsGiveInfinityAndNotANumber) {
  EXPECT_TRUE(std::isinf(pass_rate(50.0, 0.0)));
  EXPECT_TRUE(std::isnan(pass_rate(0.0, 0.0)));
  EXPECT_EQ(pass_rate(0.0, 1.0), 0.0);
}

} // namespace
