// What the program says besides the report: the context line, the warnings,
// the command line, and the rule that keeps the two output streams apart.

#include "driver/arguments.h"
#include "driver/console.h"
#include "report/context_line.h"
#include "report/warnings.h"
#include "platform/cpuinfo.h"
#include "platform/machine.h"
#include "driver/exit_status.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace driver;
using namespace platform;
using namespace pass;
using namespace report;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

struct InterferenceCase {
  PassTiming timing;
  double step;
  bool warns;
};

class Interference : public ::testing::TestWithParam<InterferenceCase> {};

TEST_P(Interference, IsJudgedOnlyOnReadingsThatCanShowIt) {
  EXPECT_EQ(!interference_warning(1, GetParam().timing, GetParam().step).empty(), GetParam().warns);
}

INSTANTIATE_TEST_SUITE_P(
    Passes, Interference,
    ::testing::Values(InterferenceCase{{1.0, 0.9986}, 1e-9, false}, // quiet
                      InterferenceCase{{1.0, 1.02}, 1e-9, false},   // clocks read just outside
                      InterferenceCase{{1.0, 0.951}, 1e-9, false}, InterferenceCase{{1.0, 0.949}, 1e-9, true},
                      InterferenceCase{{0.0004, 0.0001}, 1e-9, true},
                      // A 10 ms processor clock cannot judge a 0.5 s pass...
                      InterferenceCase{{0.5, 0.1}, 0.01, false},
                      // ...but can judge a 2 s one.
                      InterferenceCase{{2.0, 1.0}, 0.01, true}, InterferenceCase{{0.0, 0.0}, 1e-9, false},
                      InterferenceCase{{1.0, nan}, 1e-9, false}, InterferenceCase{{1.0, 0.5}, nan, false}));

TEST(Interference, NamesThePassItsShareAndItsTime) {
  EXPECT_EQ(interference_warning(2, {7.38, 4.797}, 1e-9),
            "megawhets: warning: pass 2 had the processor for only 65.0 % of its 7.38 seconds: other work on "
            "this machine slowed it, so its figures are low; run again with the machine otherwise idle\n");
}

struct SubnormalCase {
  std::int32_t inner;
  bool warns;
};

class Subnormal : public ::testing::TestWithParam<SubnormalCase> {};

TEST_P(Subnormal, IsDecidedOnTheUnsignedInnerCount) {
  EXPECT_EQ(!subnormal_warning(2, GetParam().inner).empty(), GetParam().warns);
}

INSTANTIATE_TEST_SUITE_P(Counts, Subnormal,
                         ::testing::Values(SubnormalCase{0, false}, SubnormalCase{327583, false},
                                           SubnormalCase{327584, true}, SubnormalCase{-1, true},
                                           SubnormalCase{std::numeric_limits<std::int32_t>::min(), true}));

TEST(Subnormal, ShowsANegativeCountAsItIsUsed) {
  EXPECT_EQ(subnormal_warning(1, -5),
            "megawhets: warning: pass 1's inner count -5 (taken as 4294967291) is above 327583, where the "
            "workload's values turn subnormal and many processors slow down sharply, so its figures measure "
            "that; keep the inner count at or below 163791 and raise the outer count instead\n");
}

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

TEST(Cpuinfo, NamesTheModelWhereTheKernelGivesOne) {
  EXPECT_EQ(
      platform::processor_model_in_cpuinfo("processor\t: 0\nvendor_id\t: GenuineIntel\ncpu family\t: 6\n"
                                 "model\t\t: 85\nmodel name\t: Intel(R) Xeon(R)  Gold 6148 CPU @ 2.40GHz\n"),
      "Intel(R) Xeon(R) Gold 6148 CPU @ 2.40GHz");
  EXPECT_EQ(platform::processor_model_in_cpuinfo("processor\t: 0\ncpu\t\t: POWER9 (raw), altivec supported\n"),
            "POWER9 (raw), altivec supported");
  EXPECT_EQ(platform::processor_model_in_cpuinfo("processor\t: 0\nBogoMIPS\t: 50.00\nCPU implementer\t: 0x41\n"
                                       "CPU part\t: 0xd0c\n"),
            "");
}

struct CommandLineCase {
  std::vector<const char *> arguments;
  Request request;
  ArgumentProblem problem = ArgumentProblem::none;
  const char *bad_argument = "";
  RunOptions options{};
};

class Arguments : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(Arguments, AreTakenInOrder) {
  std::vector<const char *> argv = {"megawhets"};
  argv.insert(argv.end(), GetParam().arguments.begin(), GetParam().arguments.end());
  const CommandLine line = read_command_line(static_cast<int>(argv.size()), argv.data());
  EXPECT_EQ(line.request, GetParam().request);
  EXPECT_EQ(line.problem, GetParam().problem);
  EXPECT_EQ(line.bad_argument, GetParam().bad_argument);
  if (line.request == Request::run) {
    EXPECT_EQ(line.options.record_path, GetParam().options.record_path);
    EXPECT_EQ(line.options.auto_seconds, GetParam().options.auto_seconds);
    EXPECT_EQ(line.options.strict, GetParam().options.strict);
  }
}

constexpr auto bad = Request::bad_argument;
constexpr auto bad_seconds = ArgumentProblem::bad_seconds;

INSTANTIATE_TEST_SUITE_P(
    Lines, Arguments,
    ::testing::Values(
        CommandLineCase{{}, Request::run}, CommandLineCase{{"--help"}, Request::help},
        CommandLineCase{{"--version", "x"}, Request::version},
        CommandLineCase{{"--bogus", "--help"}, bad, ArgumentProblem::unknown_option, "--bogus"},
        CommandLineCase{{"-h"}, bad, ArgumentProblem::unknown_option, "-h"},
        CommandLineCase{{"20000", "10"}, bad, ArgumentProblem::unexpected_argument, "20000"},
        CommandLineCase{{""}, bad, ArgumentProblem::unexpected_argument, ""},
        CommandLineCase{{"--auto", "--strict", "--json", "run.json"}, Request::run, {}, "", {"run.json", 15.0, true}},
        CommandLineCase{{"--json=-", "--auto=2.5", "--auto=12"}, Request::run, {}, "", {"-", 12.0, false}},
        CommandLineCase{{"--strict", "--help"}, Request::help},
        // A file name is whatever follows, as getopt takes it.
        CommandLineCase{{"--json", "--help"}, Request::run, {}, "", {"--help", {}, false}},
        CommandLineCase{{"--json"}, bad, ArgumentProblem::missing_file, "--json"},
        CommandLineCase{{"--json="}, bad, ArgumentProblem::missing_file, "--json"},
        CommandLineCase{{"--auto=0.5"}, bad, bad_seconds, "--auto=0.5"},
        CommandLineCase{{"--auto=86401"}, bad, bad_seconds, "--auto=86401"},
        CommandLineCase{{"--auto=1e3"}, bad, bad_seconds, "--auto=1e3"},
        CommandLineCase{{"--auto=-5"}, bad, bad_seconds, "--auto=-5"},
        CommandLineCase{{"--auto=5."}, bad, bad_seconds, "--auto=5."},
        CommandLineCase{{"--auto="}, bad, bad_seconds, "--auto="},
        CommandLineCase{{"--auto", "30"}, bad, ArgumentProblem::unexpected_argument, "30"}));

TEST(Arguments, AreShownWithoutTheirControlBytes) {
  CommandLine line{.request = Request::bad_argument,
                   .problem = ArgumentProblem::unexpected_argument,
                   .bad_argument = "\x1b[2J\n"};
  EXPECT_EQ(bad_argument_message(line),
            "megawhets: unexpected argument '\\x1B[2J\\x0A': the counts are asked for at the prompts or read "
            "from a pipe; see 'megawhets --help'\n");
  line.problem = ArgumentProblem::bad_seconds;
  line.bad_argument = "--auto=x";
  EXPECT_EQ(bad_argument_message(line), "megawhets: option '--auto=x' needs a number of seconds from 1 to 86400, "
                                        "such as --auto=30; see 'megawhets --help'\n");
}

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
