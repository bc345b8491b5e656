#pragma once

#include <optional>
#include <string>
#include <string_view>

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

} // namespace driver
