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
    EXPECT_EQ(line.options.label, GetParam().options.label);
  }
}

constexpr auto bad = Request::bad_argument;
constexpr auto bad_seconds = ArgumentProblem::bad_seconds;
constexpr auto bad_label = ArgumentProblem::bad_label;

RunOptions labelled(const char *label) { return {.label = label}; }

const std::string longest_label = std::string(198, 'x') + "\xC3\xA9"; // 200 bytes
const std::string too_long_label = "x" + longest_label;

INSTANTIATE_TEST_SUITE_P(
    Lines, Arguments,
    ::testing::Values(
        CommandLineCase{{}, Request::run}, CommandLineCase{{"--help"}, Request::help},
        CommandLineCase{{"--version", "x"}, Request::version},
        CommandLineCase{{"--bogus", "--help"}, bad, ArgumentProblem::unknown_option, "--bogus"},
        CommandLineCase{{"-h"}, bad, ArgumentProblem::unknown_option, "-h"},
        CommandLineCase{{"20000", "10"}, bad, ArgumentProblem::unexpected_argument, "20000"},
        CommandLineCase{{""}, bad, ArgumentProblem::unexpected_argument, ""},
        // A command mistyped is one only as the first argument.
        CommandLineCase{{"comapre", "x"}, bad, ArgumentProblem::unknown_command, "comapre"},
        CommandLineCase{{"--strict", "comapre"}, bad, ArgumentProblem::unexpected_argument, "comapre"},
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
        CommandLineCase{{"--strict", "30"}, bad, ArgumentProblem::unexpected_argument, "30"},
        // A label is 1 to 200 bytes of UTF-8 text on one line; C1 controls
        // (U+0080 to U+009F) are control characters too.
        CommandLineCase{{"--label", "C-states off"}, Request::run, {}, "", labelled("C-states off")},
        CommandLineCase{{"--label=gcc \xE2\x80\x94 -O3"}, Request::run, {}, "", labelled("gcc \xE2\x80\x94 -O3")},
        CommandLineCase{{"--label", longest_label.c_str()}, Request::run, {}, "", labelled(longest_label.c_str())},
        CommandLineCase{{"--label", too_long_label.c_str()}, bad, bad_label, too_long_label.c_str()},
        // A label left out is missing, not empty.
        CommandLineCase{{"--label"}, bad, ArgumentProblem::missing_label, "--label"},
        CommandLineCase{{"--label", ""}, bad, bad_label, ""},
        CommandLineCase{{"--label="}, bad, bad_label, ""},
        CommandLineCase{{"--label", "a\tb"}, bad, bad_label, "a\tb"},
        CommandLineCase{{"--label", "a\xC2\x85"}, bad, bad_label, "a\xC2\x85"},
        CommandLineCase{{"--label", "Intel\xAE"}, bad, bad_label, "Intel\xAE"}));

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

TEST(Arguments, ALabelIsRefusedSayingWhatIsWrongWithIt) {
  const auto message = [](const char *label) {
    return bad_argument_message(
        {.request = Request::bad_argument, .problem = ArgumentProblem::bad_label, .bad_argument = label});
  };
  const std::string start =
      "megawhets: option '--label' needs 1 to 200 bytes of UTF-8 text without control characters, but the label ";
  const std::string end = "; see 'megawhets --help'\n";
  EXPECT_EQ(message(""), start + "is empty" + end);
  EXPECT_EQ(message(too_long_label.c_str()), start + "is 201 bytes long, more than 200" + end);
  EXPECT_EQ(message("ab\n"), start + "holds a control character, U+000A, at byte 3" + end);
  EXPECT_EQ(message("a\xC2\x85"), start + "holds a control character, U+0085, at byte 2" + end);
  EXPECT_EQ(message("\xE2\x84x"), start + "is not valid UTF-8 at byte 1" + end);
}

} // namespace
