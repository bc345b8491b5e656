// The line that says what produced a run's figures.

#include "report/context_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace platform;
using namespace report;

struct ContextCase {
  Machine machine;
  const char *expected;
};

class Context : public ::testing::TestWithParam<ContextCase> {};

TEST_P(Context, LeavesOutWhatIsNotKnown) {
  EXPECT_EQ(context_line("megawhets 1.0.0", "g++ 12.2.0, -O2 -ffp-contract=off, x86-64", GetParam().machine),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Machines, Context,
    ::testing::Values(
        ContextCase{{"AMD EPYC", 2},
                    "megawhets 1.0.0: g++ 12.2.0, -O2 -ffp-contract=off, x86-64; AMD EPYC, 2 processors\n"},
        ContextCase{{"", 1}, "megawhets 1.0.0: g++ 12.2.0, -O2 -ffp-contract=off, x86-64; 1 processor\n"},
        ContextCase{{"AMD EPYC", 0},
                    "megawhets 1.0.0: g++ 12.2.0, -O2 -ffp-contract=off, x86-64; AMD EPYC\n"},
        ContextCase{{"", 0}, "megawhets 1.0.0: g++ 12.2.0, -O2 -ffp-contract=off, x86-64\n"}));

} // namespace
