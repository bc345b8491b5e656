// The help a new user reads first: that `megawhets --help` leads to every
// command, and that `ab --help` names the figure the rounds are really
// judged by.

#include "ab/judged_figure.h"
#include "driver/ab_arguments.h"
#include "driver/arguments.h"
#include "driver/compare_arguments.h"
#include "driver/help_text.h"
#include "driver/history_arguments.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

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

// The words of a text, whatever its lines.
std::string words_of(const std::string &text) {
  std::istringstream stream(text);
  std::string words;
  for (std::string word; stream >> word;) {
    words += (words.empty() ? "" : " ") + word;
  }
  return words;
}

// A terminal of 80 columns shows every help without wrapping.
TEST(Usage, EveryHelpFitsSeventyNineColumns) {
  for (const std::string &help : {driver::usage(), driver::ab_usage(), driver::compare_usage(),
                                  driver::history_usage()}) {
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
      EXPECT_LE(line.size(), 79U) << line;
    }
  }
}

// Filling keeps every word in its place, an option's description in its
// column, and the blank lines between paragraphs.
TEST(Usage, FittingKeepsTheWordsAndTheOptionsColumn) {
  const std::string written = "Usage: megawhets thing [OPTIONS] WITH A VERY LONG LIST OF ARGUMENTS THAT GOES ON "
                              "AND ON\n"
                              "A paragraph of prose that runs well past the width of a terminal of eighty "
                              "columns, as help texts do\n"
                              "when their lines were written long.\n"
                              "\n"
                              "  --option VALUE    what the option does, said at such length that it cannot "
                              "fit on one line of the help\n"
                              "                    and goes on here\n"
                              "  --help            show this help\n";
  const std::string fitted = driver::fitted_help(written);
  EXPECT_EQ(words_of(fitted), words_of(written));
  std::istringstream lines(fitted);
  std::vector<std::string> all;
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LE(line.size(), 79U) << line;
    all.push_back(line);
  }
  ASSERT_EQ(std::count(all.begin(), all.end(), ""), 1) << fitted;
  const auto option = std::find_if(all.begin(), all.end(), [](const std::string &l) { return l.starts_with("  --option"); });
  ASSERT_NE(option, all.end());
  EXPECT_TRUE((option + 1)->starts_with(std::string(20, ' ')) && (option + 1)->at(20) != ' ') << fitted;
  EXPECT_TRUE(all.back().starts_with("  --help            show")) << fitted;
}

// The help says which figure the pairs are judged on, and no other.
TEST(AbUsage, NamesTheJudgedFigure) {
  const std::string help = words_of(driver::ab_usage());
  std::string judged = "judged on the ratio of B's ";
  judged += ab::figure_words(ab::default_figure);
  judged += " to A's (";
  judged += ab::figure_meaning(ab::default_figure);
  judged += "; --figure names another)";
  EXPECT_NE(help.find(judged), std::string::npos) << help;
  const char *other = ab::default_figure == ab::Figure::rate ? "steady figure" : "their rates";
  EXPECT_EQ(help.find(other), std::string::npos) << help;
}

} // namespace
