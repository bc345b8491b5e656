// The command line, read in order as getopt reads it.

#include "driver/arguments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace driver;

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
        CommandLineCase{{"--auto", "30"}, bad, ArgumentProblem::detached_value, "30"},
        CommandLineCase{{"--strict", "30"}, bad, ArgumentProblem::unexpected_argument, "30"}));

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

} // namespace
