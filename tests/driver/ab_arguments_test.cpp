// The command line of megawhets ab: what each option sets, the exact line
// each bad one is refused with, and the options that cannot go together.

#include "driver/ab_arguments.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

using namespace driver;

AbCommandLine read(std::initializer_list<const char *> arguments) {
  std::vector<const char *> argv{"ab"};
  argv.insert(argv.end(), arguments);
  return read_ab_command_line(static_cast<int>(argv.size()), argv.data());
}

struct Refusal {
  std::vector<const char *> arguments;
  const char *problem;
};

class AbRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(AbRefusal, NamesTheArgumentAsGiven) {
  std::vector<const char *> argv{"ab"};
  argv.insert(argv.end(), GetParam().arguments.begin(), GetParam().arguments.end());
  const AbCommandLine line = read_ab_command_line(static_cast<int>(argv.size()), argv.data());
  EXPECT_FALSE(line.help);
  EXPECT_EQ(line.problem, GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(
    BadValues, AbRefusal,
    ::testing::Values(
        Refusal{{"--slice=0", "a", "b"},
                "option '--slice=0' needs seconds from 0.1 to 60, such as --slice=1"},
        Refusal{{"--slice", "61", "a", "b"},
                "option '--slice 61' needs seconds from 0.1 to 60, such as --slice=1"},
        Refusal{{"--budget=0.5", "a", "b"},
                "option '--budget=0.5' needs seconds from 1 to 86400, such as --budget=60"},
        Refusal{{"--rounds=5", "a", "b"},
                "option '--rounds=5' needs a whole number of rounds from 6 to 100000, such as --rounds=30"},
        Refusal{{"--rounds=6.0", "a", "b"},
                "option '--rounds=6.0' needs a whole number of rounds from 6 to 100000, such as --rounds=30"},
        Refusal{
            {"--alpha=1", "a", "b"},
            "option '--alpha=1' needs a level between 0 and 1, written in decimal, such as --alpha=0.01 or "
            "--alpha=1e-3"},
        Refusal{{"--threshold=0", "a", "b"},
                "option '--threshold=0' needs a percentage between 0 and 100, such as --threshold=0.5"},
        Refusal{{"--threshold=100", "a", "b"},
                "option '--threshold=100' needs a percentage between 0 and 100, such as --threshold=0.5"},
        Refusal{{"--figure=speed", "a", "b"},
                "option '--figure=speed' needs rate, steady, processor-rate or processor-steady"},
        Refusal{{"--seed=-1", "a", "b"},
                "option '--seed=-1' needs a whole number from 0 to 18446744073709551615, as a comparison "
                "prints it"},
        Refusal{
            {"--seed=18446744073709551616", "a", "b"},
            "option '--seed=18446744073709551616' needs a whole number from 0 to 18446744073709551615, as a "
            "comparison prints it"},
        Refusal{{"--format=html", "a", "b"}, "option '--format=html' needs table, md, csv or json"},
        Refusal{{"a", "b", "--format"}, "option '--format' needs table, md, csv or json"},
        Refusal{{"--json=", "a", "b"}, "option '--json' needs a file name, or - for standard output"},
        Refusal{{"a", "b", "--html"}, "option '--html' needs a file name, or - for standard output"},
        Refusal{{"--records=", "a", "b"}, "option '--records' needs a directory"},
        Refusal{{"--slce=1", "a", "b"}, "unknown option '--slce=1' (did you mean --slice?)"},
        Refusal{{"--bogus", "a", "b"}, "unknown option '--bogus' for ab"},
        Refusal{{"--\x1b[2J", "a", "b"}, "unknown option '--\\x1B[2J' for ab"}));

INSTANTIATE_TEST_SUITE_P(
    WholeLine, AbRefusal,
    ::testing::Values(Refusal{{}, "ab needs two programs, PROGRAM_A and PROGRAM_B, and was given 0"},
                      Refusal{{"a", "b", "c"},
                              "ab needs two programs, PROGRAM_A and PROGRAM_B, and was given 3"},
                      Refusal{{"--interleaved", "--duet", "a", "b"},
                              "options '--interleaved' and '--duet' cannot go together"},
                      Refusal{{"--duet", "--interleaved", "a", "b"},
                              "options '--interleaved' and '--duet' cannot go together"},
                      Refusal{{"--budget=5", "--rounds=10", "a", "b"},
                              "options '--budget' and '--rounds' cannot go together: the rounds are a fixed "
                              "count, however long "
                              "they take"},
                      Refusal{{"--slice=10", "--budget=5", "a", "b"},
                              "a budget of 5 s cannot hold one round of two 10 s slices: give --budget 20 or "
                              "more, or a shorter "
                              "--slice"},
                      // Taken in order: the first refused argument is the one named.
                      Refusal{{"--bogus", "--slice=0", "a", "b"}, "unknown option '--bogus' for ab"},
                      Refusal{{"--slice=0", "--bogus", "a", "b"},
                              "option '--slice=0' needs seconds from 0.1 to 60, such as --slice=1"}));

TEST(AbArguments, SetEachOptionGiven) {
  const AbCommandLine line =
      read({"--slice=2", "--rounds", "40", "--alpha=0.01", "--threshold=0.5", "--figure=steady", "--seed=7",
            "--duet", "--strict", "--format=csv", "--json", "out.json", "--html=page.html",
            "--records=slices", "--force", "A", "B"});
  ASSERT_EQ(line.problem, "");
  const AbOptions &options = line.options;
  EXPECT_EQ(options.request.settings.slice_seconds, 2.0);
  EXPECT_EQ(options.request.settings.rounds, 40U);
  EXPECT_EQ(options.request.settings.budget_seconds, std::nullopt);
  EXPECT_EQ(options.request.settings.alpha, 0.01);
  EXPECT_EQ(options.request.settings.threshold_percent, 0.5);
  EXPECT_EQ(options.request.settings.figure, ab::Figure::steady);
  EXPECT_TRUE(options.request.settings.figure_given);
  EXPECT_EQ(options.request.settings.seed, 7U);
  EXPECT_TRUE(options.request.settings.seed_given);
  EXPECT_EQ(options.request.mode, ab::ModeChoice::duet);
  EXPECT_TRUE(options.strict);
  EXPECT_EQ(options.outputs.format, OutputFormat::csv);
  EXPECT_EQ(options.outputs.json_path, "out.json");
  EXPECT_EQ(options.outputs.html_path, "page.html");
  EXPECT_EQ(options.records_path, "slices");
  EXPECT_TRUE(options.outputs.force);
  EXPECT_EQ(options.request.names[0], "A");
  EXPECT_EQ(options.request.names[1], "B");
}

TEST(AbArguments, LeaveTheDefaultsWhereNothingIsGiven) {
  const AbCommandLine line = read({"A", "B"});
  ASSERT_EQ(line.problem, "");
  const ab::Settings &settings = line.options.request.settings;
  EXPECT_EQ(settings.slice_seconds, default_slice_seconds);
  EXPECT_EQ(settings.budget_seconds, default_budget_seconds);
  EXPECT_EQ(settings.rounds, std::nullopt);
  EXPECT_EQ(settings.threshold_percent, default_threshold_percent);
  EXPECT_FALSE(settings.figure_given);
  EXPECT_FALSE(settings.seed_given);
  EXPECT_EQ(line.options.request.mode, ab::ModeChoice::automatic);
  EXPECT_EQ(line.options.outputs.format, OutputFormat::table);
  EXPECT_FALSE(standard_output_taken(line.options.outputs));
}

// - names standard output, not a program, when it is an option's value; and
// a later value of an option replaces an earlier one, as getopt's do.
TEST(AbArguments, TakeDashAsStandardOutputAndTheLastValueOfAnOption) {
  const AbCommandLine line = read({"--json", "-", "--format=md", "--format=json", "A", "B"});
  ASSERT_EQ(line.problem, "");
  EXPECT_TRUE(standard_output_taken(line.options.outputs));
  EXPECT_EQ(line.options.outputs.format, OutputFormat::json);
  EXPECT_EQ(line.options.request.names[1], "B");
  EXPECT_TRUE(standard_output_taken(read({"--html=-", "A", "B"}).options.outputs));
}

TEST(AbArguments, ShowTheHelpWhateverFollowsIt) {
  EXPECT_TRUE(read({"--help", "--bogus"}).help);
  EXPECT_FALSE(read({"--bogus", "--help"}).help);
  EXPECT_EQ(read({"--duet", "--duet", "A", "B"}).problem, "");
}

} // namespace
