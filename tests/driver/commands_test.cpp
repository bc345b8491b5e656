// The table of commands, and the status megawhets returns from its whole
// command line: the dispatch, the reading, the command's work and its exit
// status, end to end, as a script that runs megawhets sees them.

#include "driver/arguments.h"
#include "driver/commands.h"
#include "driver/exit_status.h"
#include "history/store.h"
#include "pass/figures.h"
#include "record/json_record.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using namespace driver;
namespace fs = std::filesystem;

struct Finished {
  int status;
  std::string out;
  std::string err;
};

Finished run_megawhets(const std::vector<std::string> &arguments) {
  std::vector<const char *> argv{"megawhets"};
  for (const std::string &argument : arguments) {
    argv.push_back(argument.c_str());
  }
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const int status = run_program(static_cast<int>(argv.size()), argv.data());
  std::string out = ::testing::internal::GetCapturedStdout();
  return {status, std::move(out), ::testing::internal::GetCapturedStderr()};
}

TEST(CommandTable, FindsACommandByItsWholeNameOnly) {
  for (const Command &command : commands()) {
    EXPECT_EQ(command_named(command.name), &command);
  }
  for (const char *name : {"", "Compare", "comp", "compare ", "--help", "abc"}) {
    EXPECT_EQ(command_named(name), nullptr) << name;
  }
}

// The synopsis a reader of the help, and scripts that quote it, have always
// seen, with the operands in one column where they fit.
TEST(CommandTable, GivesTheHelpASynopsisLineForEveryCommand) {
  EXPECT_EQ(command_synopses(),
            "       megawhets compare [OPTIONS] RECORD...   (see 'megawhets compare --help')\n"
            "       megawhets history [OPTIONS] DB          (see 'megawhets history --help')\n"
            "       megawhets ab [OPTIONS] PROGRAM_A PROGRAM_B (see 'megawhets ab --help')\n");
  const std::string help = run_megawhets({"--help"}).out;
  for (const Command &command : commands()) {
    const std::string line = "megawhets " + std::string(command.name) + " " + std::string(command.operands);
    EXPECT_EQ(help.find(line), help.rfind(line)) << line;
    EXPECT_NE(help.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(help, usage());
}

struct Dispatch {
  std::vector<std::string> arguments;
  int status;
  const char *err; // the whole of standard error
};

class Dispatched : public ::testing::TestWithParam<Dispatch> {};

TEST_P(Dispatched, ReturnsTheStatusAndSaysWhereToReadMore) {
  const Finished finished = run_megawhets(GetParam().arguments);
  EXPECT_EQ(finished.status, GetParam().status);
  EXPECT_EQ(finished.err, GetParam().err);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, Dispatched,
    ::testing::Values(
        Dispatch{{"--version", "compare"}, completed, ""},
        Dispatch{{"comapre", "runs.json"},
                 bad_usage,
                 "megawhets: unknown command 'comapre' (did you mean compare?); see 'megawhets --help'\n"},
        Dispatch{{"--strict", "compare"},
                 bad_usage,
                 "megawhets: unexpected argument 'compare': the counts are asked for at the prompts or read "
                 "from a "
                 "pipe; see 'megawhets --help'\n"},
        Dispatch{
            {"compare"},
            bad_usage,
            "megawhets: compare needs at least one RECORD: a file of records, a directory of them, or - for "
            "standard input; see 'megawhets compare --help'\n"},
        Dispatch{{"compare", "--help"}, completed, ""},
        Dispatch{
            {"ab", "--budget=5", "--rounds=10", "a", "b"},
            bad_usage,
            "megawhets: options '--budget' and '--rounds' cannot go together: the rounds are a fixed count, "
            "however long they take; see 'megawhets ab --help'\n"},
        Dispatch{{"ab", "--help", "--bogus"}, completed, ""}));

TEST(Commands, ShowEachCommandsOwnHelp) {
  for (const Command &command : commands()) {
    if (command.built != nullptr && !command.built()) {
      continue;
    }
    const Finished finished = run_megawhets({std::string(command.name), "--help"});
    EXPECT_EQ(finished.status, completed);
    EXPECT_EQ(finished.out, command.usage()) << command.name;
    EXPECT_TRUE(finished.out.starts_with("Usage: megawhets " + std::string(command.name) + " "))
        << command.name;
  }
}

// A build without the store refuses the whole command, before its
// arguments, however they would have been read.
TEST(Commands, RefuseTheHistoryWhereThisBuildHasNoStore) {
  const Finished finished = run_megawhets({"history", "--help"});
  if (history::store_built()) {
    EXPECT_EQ(finished.status, completed);
    return;
  }
  EXPECT_EQ(finished.status, bad_usage);
  EXPECT_EQ(finished.err,
            "megawhets: this build of megawhets has no history store (SQLite or nettle was not found for its "
            "target); see 'megawhets --help'\n");
}

pass::PassOutcome pass_of(int number, std::int32_t inner, double elapsed) {
  pass::PassOutcome pass{.number = number, .outer = 25, .inner = inner};
  pass.timing = {
      .elapsed = elapsed,
      .processor = elapsed,
      .groups = {.outer_per_group = 1, .full = 25, .fastest = elapsed / 25.5, .slowest = elapsed / 24.5}};
  pass.figures = {elapsed, pass::pass_rate(pass::work_units(inner, 25), elapsed)};
  pass.steady = pass::steady_figures(pass.timing.groups, inner);
  return pass;
}

// Five runs under one label, each of them `seconds` long give or take a
// thousandth, none of them disturbed.
std::string runs_of(const std::string &label, double seconds) {
  std::string text;
  for (int run = 0; run < 5; ++run) {
    const double elapsed = seconds * (1.0 + 0.001 * run);
    const record::RunRecord record{.label = label,
                                   .build = {"1.0.0", "g++", "12.2.0", "-O2", "x86-64"},
                                   .machine = {"a processor", 2, "alpha"},
                                   .operating_system = {"Linux", "6.1.0"},
                                   .started_at = "2026-12-08T17:00:4" + std::to_string(run) + "Z",
                                   .counts = pass::Counts{20000, 25},
                                   .passes = {pass_of(1, 20000, elapsed), pass_of(2, 40000, 2 * elapsed)}};
    text += record::record_json(record);
  }
  return text;
}

// Records of a base, one as fast, and one a fifth slower, in a scratch
// folder.
class CompareStatus : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("megawhets-commands-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    std::ofstream(path("base.json")) << runs_of("base", 4.0);
    std::ofstream(path("same.json")) << runs_of("same", 4.0);
    std::ofstream(path("slower.json")) << runs_of("slower", 5.0);
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string path(const char *name) const { return (folder_ / name).string(); }

  fs::path folder_;
};

TEST_F(CompareStatus, FailsStrictOnlyForARealChange) {
  EXPECT_EQ(run_megawhets({"compare", "--format=csv", path("base.json"), path("slower.json")}).status,
            completed);
  EXPECT_EQ(run_megawhets({"compare", "--strict", path("base.json"), path("same.json")}).status, completed);
  const Finished slower = run_megawhets({"compare", "--strict", path("base.json"), path("slower.json")});
  EXPECT_EQ(slower.status, warned_under_strict) << slower.err;
  EXPECT_NE(slower.out.find("slower"), std::string::npos);
  // A change smaller than --threshold does not fail, however significant.
  EXPECT_EQ(
      run_megawhets({"compare", "--strict", "--threshold=30", path("base.json"), path("slower.json")}).status,
      completed);
}

TEST_F(CompareStatus, FailsTheRunForARecordItCannotRead) {
  const Finished finished = run_megawhets({"compare", path("base.json"), path("missing.json")});
  EXPECT_EQ(finished.status, run_failed);
  EXPECT_NE(finished.err.find("missing.json"), std::string::npos) << finished.err;
}

// Checked before any record is read: the page would replace the records.
TEST_F(CompareStatus, RefusesAPageOverARecordUnlessForced) {
  const Finished finished = run_megawhets({"compare", "--html", path("same.json"), path("base.json")});
  EXPECT_EQ(finished.status, bad_usage);
  EXPECT_NE(finished.err.find("would replace a file that holds run records"), std::string::npos)
      << finished.err;
  EXPECT_EQ(run_megawhets({"compare", "--html", path("same.json"), "--force", path("base.json")}).status,
            completed);
}

} // namespace
