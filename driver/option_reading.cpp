#include "driver/option_reading.h"

#include "compare/keys.h"
#include "driver/suggestion.h"
#include "text/printable.h"

#include <charconv>
#include <cstdlib>
#include <system_error>

namespace driver {

std::optional<OutputFormat> output_format_named(std::string_view text) {
  if (text == "table") {
    return OutputFormat::table;
  }
  if (text == "md") {
    return OutputFormat::markdown;
  }
  if (text == "csv") {
    return OutputFormat::csv;
  }
  if (text == "json") {
    return OutputFormat::json;
  }
  return std::nullopt;
}

std::string format_problem(const OptionValue &given) {
  return output_format_named(given.value)
             ? std::string()
             : "option " + text::quoted(given.as_given) + " needs table, md, csv or json";
}

std::string missing_value_problem(const OptionValue &given, std::string_view option,
                                  std::string_view needed) {
  return given.value.empty() ? "option '" + std::string(option) + "' needs " + std::string(needed)
                             : std::string();
}

std::optional<double> open_percentage(std::string_view text) {
  const auto value = plain_decimal(text);
  return value && *value > 0.0 && *value < 100.0 ? value : std::nullopt;
}

std::string unknown_option_problem(std::string_view argument, std::span<const std::string_view> known,
                                   std::string_view otherwise) {
  const auto meant = closest_option(argument, known);
  return "unknown option " + text::quoted(argument) +
         (meant ? " (did you mean " + std::string(*meant) + "?)" : std::string(otherwise));
}

std::optional<std::vector<compare::Key>> keys_named(std::string_view text) {
  std::vector<compare::Key> keys;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const auto key = compare::key_named(text.substr(start, comma - start));
    if (!key) {
      return std::nullopt;
    }
    keys.push_back(*key);
    start = comma + 1;
  }
  return keys;
}

std::optional<OptionValue> option_value(std::string_view name, int argc, const char *const *argv, int &i) {
  const std::string_view argument = argv[i];
  if (argument == name) {
    const bool absent = i + 1 >= argc;
    const std::string value = absent ? "" : argv[++i];
    return OptionValue{value, value.empty() ? std::string(name) : std::string(name) + " " + value, absent};
  }
  if (argument.starts_with(std::string(name) + "=")) {
    return OptionValue{std::string(argument.substr(name.size() + 1)), std::string(argument)};
  }
  return std::nullopt;
}

std::optional<double> plain_decimal(std::string_view text) {
  const auto point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction = point == std::string_view::npos ? "" : text.substr(point + 1);
  const auto all_digits = [](std::string_view part) {
    return part.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (whole.empty() || !all_digits(whole) || !all_digits(fraction) ||
      (point != std::string_view::npos && fraction.empty())) {
    return std::nullopt;
  }
  return std::strtod(std::string(text).c_str(), nullptr);
}

// std::from_chars reads it whatever the locale; it also reads inf, nan and
// hexadecimal, which taking only digits, points, exponents and signs
// refuses.
std::optional<double> level(std::string_view text) {
  if (text.starts_with('+')) {
    text.remove_prefix(1);
  }
  if (text.empty() || text.find_first_not_of("0123456789.eE+-") != std::string_view::npos) {
    return std::nullopt;
  }
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || !(value > 0.0 && value < 1.0)) {
    return std::nullopt;
  }
  return value;
}

std::string level_problem(std::string_view as_given, const std::optional<double> &value) {
  if (!value) {
    return "option " + text::quoted(as_given) +
           " needs a level between 0 and 1, written in decimal, such as --alpha=0.01 or --alpha=1e-3";
  }
  if (*value < smallest_level) {
    return "option " + text::quoted(as_given) + " is below 1e-14, the smallest level accepted";
  }
  return {};
}

std::string read_level(double &alpha, const OptionValue &given) {
  const auto value = level(given.value);
  std::string problem = level_problem(given.as_given, value);
  if (problem.empty()) {
    alpha = *value;
  }
  return problem;
}

} // namespace driver
