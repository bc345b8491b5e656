// The self-check against a workload built with -ffast-math, which lets the
// compiler reorder and fuse its arithmetic: the check must see the change.

#include "self_check/state_check.h"

#include <gtest/gtest.h>

namespace {

TEST(SelfCheckNegativeControl, FindsTheValuesFastMathChanged) {
  const auto mismatch = self_check::check_known_states();
  ASSERT_TRUE(mismatch) << "a workload built with -ffast-math reached every known state";
  std::printf("%s", self_check::mismatch_message(*mismatch).c_str());
  EXPECT_NE(mismatch->got, mismatch->expected);
}

} // namespace
