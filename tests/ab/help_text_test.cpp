// The help a new user reads first: that `megawhets --help` leads to every
// command, and that `ab --help` names the figure the rounds are really
// judged by.

#include "ab/judged_figure.h"
#include "driver/ab_arguments.h"
#include "driver/arguments.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

struct CommandCase {
  const char *command;
};

class UsageLeadsTo : public ::testing::TestWithParam<CommandCase> {};

// Each command has a line of the usage of its own, which sends the reader
// to its help as the others do.
TEST_P(UsageLeadsTo, EachCommandWithItsOwnHelp) {
  const std::string command = GetParam().command;
  const std::string usage = driver::usage();
  std::string line_start = "\n       megawhets ";
  line_start += command;
  line_start += " [OPTIONS] ";
  const auto at = usage.find(line_start);
  ASSERT_NE(at, std::string::npos) << usage;
  const std::string line = usage.substr(at + 1, usage.find('\n', at + 1) - at - 1);
  std::string help = "(see 'megawhets ";
  help += command;
  help += " --help')";
  EXPECT_TRUE(line.ends_with(help)) << line;
}

INSTANTIATE_TEST_SUITE_P(Commands, UsageLeadsTo,
                         ::testing::Values(CommandCase{"compare"}, CommandCase{"history"}, CommandCase{"ab"}),
                         [](const auto &info) { return std::string(info.param.command); });

// A terminal of 80 columns shows the main help without wrapping.
TEST(Usage, FitsSeventyNineColumns) {
  std::istringstream lines(driver::usage());
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LE(line.size(), 79U) << line;
  }
}

// The help says which figure the pairs are judged on, and no other.
TEST(AbUsage, NamesTheJudgedFigure) {
  const std::string help = driver::ab_usage();
  std::string judged = "judged on the ratio of B's ";
  judged += ab::figure_words(ab::default_figure);
  judged += " to A's\n(";
  judged += ab::figure_meaning(ab::default_figure);
  judged += "; --figure names another)";
  EXPECT_NE(help.find(judged), std::string::npos) << help;
  const char *other = ab::default_figure == ab::Figure::rate ? "steady figure" : "their rates";
  EXPECT_EQ(help.find(other), std::string::npos) << help;
}

} // namespace
