// The built program, run through pipes and through a pseudo-terminal.

#include "program_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using program_runner::Environment;

const std::string inner_prompt = "Number of inner loops (suggest more than 3): ";
const std::string outer_prompt = "Number of outer loops (suggest more than 1): ";
const std::string raw_rule = std::string(51, '\xCD');

std::string utf8_rule() {
  std::string rule;
  for (int i = 0; i < 51; ++i) {
    rule += "\xE2\x95\x90";
  }
  return rule;
}

bool is_figure(const std::string &token) {
  const std::string unsigned_part = !token.empty() && token[0] == '-' ? token.substr(1) : token;
  if (unsigned_part == "inf" || unsigned_part == "nan") {
    return true;
  }
  const auto point = unsigned_part.find('.');
  return point != std::string::npos && point > 0 && unsigned_part.size() - point == 3 &&
         unsigned_part.find_first_not_of("0123456789.") == std::string::npos;
}

// Replaces every printed figure (after "=", and the advice's whole seconds)
// with '#', after checking that each fills at least its eight-character field.
std::string mask_figures(const std::string &report) {
  std::string masked;
  std::size_t i = 0;
  while (i < report.size()) {
    masked += report[i];
    if (report[i] != '=' && report.compare(i + 1 - std::min<std::size_t>(i + 1, 5), 5, "TIME(") != 0) {
      ++i;
      continue;
    }
    const std::size_t start = i + 1;
    const std::size_t token_start = std::min(report.find_first_not_of(' ', start), report.size());
    const std::size_t end =
        std::min(report.find_first_not_of("-0123456789.infa", token_start), report.size());
    const std::string field = report.substr(start, end - start);
    const std::string token = report.substr(token_start, end - token_start);
    const bool whole_seconds =
        report[i] == '(' && !token.empty() && token.find_first_not_of("0123456789") == std::string::npos;
    if (whole_seconds || is_figure(token)) {
      if (!whole_seconds) {
        EXPECT_GE(field.size(), 8U) << "figure narrower than its field: " << field;
      }
      masked += '#';
      i = end;
    } else {
      ++i;
    }
  }
  return masked;
}

std::string expected_pass(int pass, const char *counts) {
  return "\n\n Pass #  " + std::to_string(pass) + ":" + counts + "\n" + raw_rule +
         "\nElapsed time =# seconds\nWhetstones   =# double-precision megaWhets/second";
}

TEST(Program, ReportsBothPassesByteForByte) {
  const auto run = program_runner::run_through_pipes("10 5\n");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(
      mask_figures(run.out),
      inner_prompt + outer_prompt + expected_pass(1, "     5 outer loop(s),   10 inner loop(s)") +
          expected_pass(2, "     5 outer loop(s),   20 inner loop(s)") +
          "\n\n Time error  =# seconds\n Whet error  =# megawhets/sec\n %    error  =# % whet error\n\n\a"
          "\nTIME(#) is less than 10 seconds -- suggest larger inner loop");
}

TEST(Program, CountsMayComeOnSeparateLinesAfterBlankOnes) {
  const auto run = program_runner::run_through_pipes("\n\n  3\n\n  2\n");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_NE(run.out.find(" Pass #  2:     2 outer loop(s),    6 inner loop(s)"), std::string::npos);
}

TEST(Program, DoublingTheInnerCountWrapsIn32Bits) {
  // No outer iterations, so the huge pass 2 count costs nothing to run.
  const auto run = program_runner::run_through_pipes("1073741824 0\n");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_NE(run.out.find(" Pass #  1:     0 outer loop(s),1073741824 inner loop(s)"), std::string::npos);
  EXPECT_NE(run.out.find(" Pass #  2:     0 outer loop(s),-2147483648 inner loop(s)"), std::string::npos);
}

TEST(Program, PipesGetRawRuleBytesWhateverTheLocale) {
  const auto run = program_runner::run_through_pipes("1 1\n", {{"LC_ALL=C.UTF-8"}, {}});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_NE(run.out.find("\n" + raw_rule + "\n"), std::string::npos);
}

struct BadInputCase {
  const char *input;
  const char *message;
  int prompts_written;
};

class BadInput : public ::testing::TestWithParam<BadInputCase> {};

TEST_P(BadInput, ExitsWithOneLineAndRunsNoPass) {
  const BadInputCase &c = GetParam();
  const auto run = program_runner::run_through_pipes(c.input);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err, c.message);
  EXPECT_EQ(run.out, c.prompts_written == 1 ? inner_prompt : inner_prompt + outer_prompt);
}

const char not_integer_inner[] =
    "megawhets: the inner loop count is not a decimal integer; expected digits with an optional sign\n";
const char not_integer_outer[] =
    "megawhets: the outer loop count is not a decimal integer; expected digits with an optional sign\n";

INSTANTIATE_TEST_SUITE_P(
    Classes, BadInput,
    ::testing::Values(
        BadInputCase{"ten\n", not_integer_inner, 1}, BadInputCase{"+\n5\n", not_integer_inner, 1},
        BadInputCase{"10 x\n", not_integer_outer, 2}, BadInputCase{"10.5 2\n", not_integer_outer, 2},
        BadInputCase{
            "", "megawhets: input ended before the inner loop count was given; expected a decimal integer\n",
            1},
        BadInputCase{
            "10\n",
            "megawhets: input ended before the outer loop count was given; expected a decimal integer\n", 2},
        BadInputCase{
            "2147483648 1\n",
            "megawhets: the inner loop count is out of range; expected an integer from -2147483648 to "
            "2147483647\n",
            1},
        BadInputCase{
            "1 -2147483649\n",
            "megawhets: the outer loop count is out of range; expected an integer from -2147483648 to "
            "2147483647\n",
            2}));

TEST(Program, UnwritableReportIsAFailure) {
  if (program_runner::windows_program) {
    GTEST_SKIP() << "Windows has no counterpart of /dev/full";
  }
  const auto run = program_runner::run_with_output_to("/dev/full", "1 1\n");
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err, "megawhets: cannot write the report to standard output: No space left on device\n");
}

struct TerminalCase {
  const char *locale;
  bool utf8_rule;
};

// Wine's console emulation rewrites what a Windows program writes to a
// terminal, so these cases are for Linux programs only.
class OnTerminal : public ::testing::TestWithParam<TerminalCase> {
protected:
  void SetUp() override {
    if (program_runner::windows_program) {
      GTEST_SKIP() << "no pseudo-terminal for a Windows program";
    }
  }
};

TEST_P(OnTerminal, PromptsBeforeReadingAndDrawsTheRuleForTheLocale) {
  const auto run = program_runner::run_on_terminal(
      inner_prompt, "1\n1\n", {{std::string("LC_ALL=") + GetParam().locale}, {"LANG", "LC_CTYPE"}});
  EXPECT_EQ(run.before_input, inner_prompt);
  EXPECT_EQ(run.exit_status, 0);
  const std::string rule = GetParam().utf8_rule ? utf8_rule() : raw_rule;
  // The terminal turns each line break into a carriage return and line break.
  EXPECT_NE(run.all.find("\r\n" + rule + "\r\nElapsed time ="), std::string::npos);
  EXPECT_NE(run.all.find(outer_prompt), std::string::npos);
  // Numbers keep their decimal point whatever the locale.
  EXPECT_NE(mask_figures(run.all).find("Elapsed time =# seconds"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Locales, OnTerminal,
                         ::testing::Values(TerminalCase{"C.UTF-8", true}, TerminalCase{"C", false}));

TEST(OnTerminal, OnlyTheCharacterTypeLocaleCounts) {
  if (program_runner::windows_program) {
    GTEST_SKIP() << "no pseudo-terminal for a Windows program";
  }
  const auto run = program_runner::run_on_terminal(
      inner_prompt, "1 1\n", {{"LC_CTYPE=C.UTF-8", "LC_MESSAGES=C"}, {"LC_ALL", "LANG"}});
  EXPECT_NE(run.all.find(utf8_rule()), std::string::npos);
}

} // namespace
