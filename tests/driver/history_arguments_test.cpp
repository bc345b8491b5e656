// The command line of megawhets history, history add and history export:
// what each option sets, the exact line each bad one is refused with, and
// the operands each takes.

#include "driver/history_arguments.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

using namespace driver;

HistoryCommandLine read(std::initializer_list<const char *> arguments) {
  std::vector<const char *> argv{"history"};
  argv.insert(argv.end(), arguments);
  return read_history_command_line(static_cast<int>(argv.size()), argv.data());
}

struct Refusal {
  std::vector<const char *> arguments;
  const char *problem;
};

class HistoryRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(HistoryRefusal, NamesTheArgumentAsGiven) {
  std::vector<const char *> argv{"history"};
  argv.insert(argv.end(), GetParam().arguments.begin(), GetParam().arguments.end());
  const HistoryCommandLine line = read_history_command_line(static_cast<int>(argv.size()), argv.data());
  EXPECT_FALSE(line.help);
  EXPECT_EQ(line.problem, GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(
    BadValues, HistoryRefusal,
    ::testing::Values(
        // The DB taken as the host's name leaves none.
        Refusal{{"--host", "db"},
                "history needs a DB: the file that megawhets --db and megawhets history add keep records in"},
        Refusal{{"db", "--host"}, "option '--host' needs a host's name"},
        Refusal{{"--label=", "db"}, "option '--label' needs a label"},
        Refusal{{"--since=yesterday", "db"},
                "option '--since=yesterday' needs a date or a time in UTC, such as 2026-03-01 or "
                "2026-03-01T00:00:00Z"},
        Refusal{{"--until", "2026-13-01", "db"},
                "option '--until 2026-13-01' needs a date or a time in UTC, such as 2026-03-31 or "
                "2026-03-31T23:59:59Z"},
        Refusal{
            {"--by=host,os", "db"},
            "option '--by=host,os' needs keys among label, host, processor, build and copies, separated by "
            "commas, such as --by=host,label"},
        Refusal{{"--min-change=101", "db"},
                "option '--min-change=101' needs a percentage from 0 to 100, such as --min-change=2"},
        Refusal{{"--recent=1.5", "db"},
                "option '--recent=1.5' needs a whole number of days up to 36500, such as --recent=7"},
        Refusal{{"--recent=36501", "db"},
                "option '--recent=36501' needs a whole number of days up to 36500, such as --recent=7"},
        Refusal{{"--slow=0", "db"},
                "option '--slow=0' needs a percentage between 0 and 100, such as --slow=5"},
        Refusal{{"--slow=100", "db"},
                "option '--slow=100' needs a percentage between 0 and 100, such as --slow=5"},
        Refusal{{"--format=xml", "db"}, "option '--format=xml' needs table, md, csv or json"},
        Refusal{{"--html=", "db"}, "option '--html' needs a file name, or - for standard output"},
        Refusal{{"--fomat=md", "db"}, "unknown option '--fomat=md' (did you mean --format?)"},
        Refusal{{"--json=x", "db"}, "unknown option '--json=x' for history"},
        Refusal{{"-", "db"}, "unknown option '-' for history"}));

INSTANTIATE_TEST_SUITE_P(
    Operands, HistoryRefusal,
    ::testing::Values(
        Refusal{{},
                "history needs a DB: the file that megawhets --db and megawhets history add keep records in"},
        Refusal{{"--fleet"},
                "history needs a DB: the file that megawhets --db and megawhets history add keep records in"},
        Refusal{{"a", "b", "--bogus"}, "unexpected argument 'b': history reads one DB"},
        Refusal{{"add"},
                "history add needs a DB and at least one RECORD: a file of records, a directory of them, or "
                "- for "
                "standard input"},
        Refusal{{"add", "db"},
                "history add needs a DB and at least one RECORD: a file of records, a directory of them, or "
                "- for "
                "standard input"},
        Refusal{{"add", "--fleet", "db", "r"},
                "unknown option '--fleet' for history add, which takes a DB and RECORDs"},
        Refusal{{"export"}, "history export needs a DB"},
        Refusal{{"export", "a", "b"}, "unexpected argument 'b': history export reads one DB"},
        Refusal{
            {"export", "--fleet", "db"},
            "unknown option '--fleet' for history export, which takes --host, --label, --since and --until"},
        Refusal{
            {"export", "db", "--since=x"},
            "option '--since=x' needs a date or a time in UTC, such as 2026-03-01 or 2026-03-01T00:00:00Z"}));

TEST(HistoryArguments, SetEachOptionOfTheTrends) {
  const HistoryCommandLine line =
      read({"--host=node-1", "--label", "gcc", "--since=2026-03-01", "--until=2026-03-31", "--by=label,host",
            "--min-change=3", "--fleet", "--recent=7", "--slow=10", "--strict", "--format=md", "--html",
            "page.html", "--force", "runs.db"});
  ASSERT_EQ(line.problem, "");
  const HistoryOptions &options = line.options;
  EXPECT_EQ(options.action, HistoryAction::trends);
  EXPECT_EQ(options.database, "runs.db");
  EXPECT_EQ(options.filter.host, "node-1");
  EXPECT_EQ(options.filter.label, "gcc");
  EXPECT_FALSE(options.filter.since.empty());
  EXPECT_FALSE(options.filter.until.empty());
  // Keys come in the order every key is named in, whatever their order given.
  EXPECT_EQ(options.settings.keys, (std::vector<compare::Key>{compare::Key::label, compare::Key::host}));
  EXPECT_EQ(options.settings.trend.min_change_percent, 3.0);
  EXPECT_TRUE(options.settings.fleet);
  EXPECT_EQ(options.settings.recent_days, 7);
  EXPECT_EQ(options.settings.slow_percent, 10.0);
  EXPECT_TRUE(options.strict);
  EXPECT_EQ(options.outputs.format, OutputFormat::markdown);
  EXPECT_EQ(options.outputs.html_path, "page.html");
  EXPECT_TRUE(options.outputs.force);
}

TEST(HistoryArguments, TakeDashAsThePageOnStandardOutput) {
  const HistoryCommandLine line = read({"--html", "-", "runs.db"});
  ASSERT_EQ(line.problem, "");
  EXPECT_TRUE(standard_output_taken(line.options.outputs));
  EXPECT_EQ(line.options.database, "runs.db");
}

// add takes - for standard input among its RECORDs.
TEST(HistoryArguments, AddTakesADatabaseThenRecords) {
  const HistoryCommandLine line = read({"add", "runs.db", "a.json", "-", "dir"});
  ASSERT_EQ(line.problem, "");
  EXPECT_EQ(line.options.action, HistoryAction::add);
  EXPECT_EQ(line.options.database, "runs.db");
  EXPECT_EQ(line.options.records, (std::vector<std::string>{"a.json", "-", "dir"}));
}

TEST(HistoryArguments, ExportTakesOnlyTheFilters) {
  const HistoryCommandLine line = read({"export", "--host", "node-1", "runs.db", "--until=2026-03-31"});
  ASSERT_EQ(line.problem, "");
  EXPECT_EQ(line.options.action, HistoryAction::export_records);
  EXPECT_EQ(line.options.database, "runs.db");
  EXPECT_EQ(line.options.filter.host, "node-1");
  EXPECT_FALSE(line.options.filter.until.empty());
}

TEST(HistoryArguments, ShowTheHelpOfEachForm) {
  EXPECT_TRUE(read({"--help", "--bogus"}).help);
  EXPECT_TRUE(read({"add", "--help"}).help);
  EXPECT_TRUE(read({"export", "db", "--help"}).help);
  EXPECT_FALSE(read({"--bogus", "--help"}).help);
}

} // namespace
