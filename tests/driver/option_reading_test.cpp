// The table every command's options are read from: which arguments each
// kind of option takes, and what it is handed for its message.

#include "driver/option_reading.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using namespace driver;

// What the rule that took an argument saw, as "rule:value|as given|absent".
using Seen = std::vector<std::string>;

std::string seen_as(const char *rule, const OptionValue &given) {
  return std::string(rule) + ":" + given.value + "|" + given.as_given + (given.absent ? "|absent" : "");
}

constexpr std::array<OptionRule<Seen>, 3> rules = {{
    {"--flag", Takes::nothing,
     [](const OptionValue &given, Seen &seen) {
       seen.push_back(seen_as("flag", given));
       return std::string();
     }},
    {"--value", Takes::value,
     [](const OptionValue &given, Seen &seen) {
       seen.push_back(seen_as("value", given));
       return std::string();
     }},
    {"--flag", Takes::attached,
     [](const OptionValue &given, Seen &seen) {
       seen.push_back(seen_as("attached", given));
       return std::string();
     }},
}};

struct Taking {
  std::vector<const char *> argv;
  const char *seen; // empty where no rule takes argv[1]
  int next;         // where the reading goes on
};

class TableOfOptions : public ::testing::TestWithParam<Taking> {};

TEST_P(TableOfOptions, HandEachRuleOnlyWhatItTakes) {
  const std::vector<const char *> &argv = GetParam().argv;
  int i = 1;
  Seen seen;
  const auto taken = take_listed_option(std::span<const OptionRule<Seen>>(rules),
                                        static_cast<int>(argv.size()), argv.data(), i, seen);
  EXPECT_EQ(taken.has_value(), std::string(GetParam().seen) != "");
  EXPECT_EQ(seen.empty() ? "" : seen.front(), GetParam().seen);
  EXPECT_EQ(i, GetParam().next);
}

INSTANTIATE_TEST_SUITE_P(Arguments, TableOfOptions,
                         ::testing::Values(Taking{{"x", "--flag", "next"}, "flag:|--flag", 1},
                                           Taking{{"x", "--flag=3"}, "attached:3|--flag=3", 1},
                                           Taking{{"x", "--flag="}, "attached:|--flag=", 1},
                                           Taking{{"x", "--flagx"}, "", 1},
                                           Taking{{"x", "--value", "v", "next"}, "value:v|--value v", 2},
                                           Taking{{"x", "--value=v"}, "value:v|--value=v", 1},
                                           Taking{{"x", "--value="}, "value:|--value=", 1},
                                           Taking{{"x", "--value"}, "value:|--value|absent", 1},
                                           Taking{{"x", "--value", ""}, "value:|--value", 2},
                                           Taking{{"x", "--valu"}, "", 1}, Taking{{"x", "-"}, "", 1}));

TEST(TableOfOptions, NameEachOptionOnceForSuggestions) {
  EXPECT_EQ(option_names(rules), (std::vector<std::string_view>{"--flag", "--value", "--help"}));
}

} // namespace
