#pragma once

#include "compare/comparison.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the program's commands share in reading their options, so that an
// option's value and a number are read the same way everywhere.
namespace driver {

bool starts_with(std::string_view text, std::string_view start);

// An option's value, given as "--name=value" or as the next argument.
struct OptionValue {
  std::string value;
  std::string as_given; // "--name=value", "--name value" or "--name", for a message
};

// Nothing when argv[i] is not the option; otherwise its value (empty when
// none was given), with i moved past the argument that held it.
std::optional<OptionValue> option_value(std::string_view name, int argc, const char *const *argv, int &i);

// Plain decimal, such as 15 or 2.5: no sign, exponent or hexadecimal, which
// strtod would also take.
std::optional<double> plain_decimal(std::string_view text);

// A level (alpha) in any decimal notation strtod reads (0.01, .05, 5e-2,
// 1E-3), strictly between 0 and 1; inf, nan and hexadecimal, which strtod
// also reads, are refused.
std::optional<double> level(std::string_view text);

// The smallest level a comparison is judged at. Below about 2e-15 the
// sequential rule's first look, which spends 1/40 of alpha, would ask for a
// confidence of 1 - alpha/40, which a double holds only as 1, and the
// statistics refuse a certainty; a round figure well clear of that serves
// every command alike.
constexpr double smallest_level = 1e-14;
static_assert(1.0 - smallest_level / 40 < 1.0, "the first look's share of the smallest level must stay below 1");

// Why a level given as `as_given` is refused, or empty when it is taken.
std::string level_problem(std::string_view as_given, const std::optional<double> &value);

// An argument as a message quotes it: in single quotes, its controls
// escaped, so that a message cannot move a terminal's cursor.
std::string quoted(std::string_view text);

// What --format takes, the same for every command that judges records.
enum class OutputFormat { table, markdown, csv, json };
std::optional<OutputFormat> output_format_named(std::string_view text);

// The keys --by names, comma-separated ("host,label"), in the order given;
// none where one is not a key.
std::optional<std::vector<compare::Key>> keys_named(std::string_view text);

} // namespace driver
