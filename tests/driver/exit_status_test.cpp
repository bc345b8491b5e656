#include "driver/exit_status.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace driver;

struct VerdictCase {
  Verdict verdict;
  ExitStatus status;
};

class Verdicts : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(Verdicts, GiveTheStatusAutomationActsOn) { EXPECT_EQ(exit_status(GetParam().verdict), GetParam().status); }

INSTANTIATE_TEST_SUITE_P(Runs, Verdicts,
                         ::testing::Values(VerdictCase{{true, false, 0}, completed},
                                           VerdictCase{{true, false, 2}, completed},
                                           VerdictCase{{true, true, 0}, completed},
                                           VerdictCase{{true, true, 1}, warned_under_strict},
                                           VerdictCase{{false, false, 0}, arithmetic_differs},
                                           VerdictCase{{false, true, 3}, arithmetic_differs}));

} // namespace
