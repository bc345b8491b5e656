// The rule that keeps the report and the messages on lines of their own.

#include "driver/console.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace driver;

struct LineCase {
  bool ended_before;
  const char *written;
  bool ended_after;
};

class LineEnding : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineEnding, FollowsTheLastByteThatMovesTheCursor) {
  EXPECT_EQ(leaves_line_ended(GetParam().ended_before, GetParam().written), GetParam().ended_after);
}

INSTANTIATE_TEST_SUITE_P(Writes, LineEnding,
                         ::testing::Values(LineCase{true, "", true}, LineCase{false, "", false},
                                           LineCase{true, "loops (suggest more than 3): ", false},
                                           LineCase{false, "x\n", true}, LineCase{false, "\n\n\a", true},
                                           LineCase{false, "\a", false}, LineCase{true, "\a", true}));

} // namespace
