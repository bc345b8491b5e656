// The compare command's level of significance, as strtod would read it.

#include "driver/compare_arguments.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

std::optional<double> alpha_read(const std::string &value) {
  const std::string option = "--alpha=" + value;
  const char *const argv[] = {"compare", option.c_str(), "runs.json"};
  const driver::CompareCommandLine line = driver::read_compare_command_line(3, argv);
  if (!line.problem.empty()) {
    EXPECT_NE(line.problem.find("needs a level between 0 and 1"), std::string::npos) << line.problem;
    return std::nullopt;
  }
  return line.options.settings.alpha;
}

TEST(CompareArguments, TakeAnyDecimalLevelBetweenZeroAndOne) {
  for (const auto &[text, value] : {std::pair{"0.01", 0.01}, {".05", 0.05}, {"5e-2", 0.05}, {"1E-3", 0.001},
                                    {"+0.05", 0.05}, {"5.e-1", 0.5}, {"0.999", 0.999}, {"1e-14", 1e-14}}) {
    EXPECT_EQ(alpha_read(text), value) << text;
  }
  for (const char *text : {"0", "1", "1.5", "-0.05", "nan", "inf", "infinity", "0x1p-3", "0.05x", "", "5e",
                           " .05", "1e-400", "0,05", "++0.05"}) {
    EXPECT_EQ(alpha_read(text), std::nullopt) << text;
  }
}

// Below the smallest level, 1 - alpha or the first look's share of it would
// round to 1, which the statistics refuse after the work is done.
TEST(CompareArguments, RefuseALevelBelowTheSmallestNamingIt) {
  for (const char *text : {"9.9e-15", "1e-15", "5e-17", "1e-20", "1e-300"}) {
    const std::string option = std::string("--alpha=") + text;
    const char *const argv[] = {"compare", option.c_str(), "runs.json"};
    EXPECT_EQ(driver::read_compare_command_line(3, argv).problem,
              "option '" + option + "' is below 1e-14, the smallest level accepted");
  }
}

} // namespace
