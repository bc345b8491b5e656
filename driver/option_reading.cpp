#include "driver/option_reading.h"

#include <cstdlib>

namespace driver {

bool starts_with(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

std::optional<OptionValue> option_value(std::string_view name, int argc, const char *const *argv, int &i) {
  const std::string_view argument = argv[i];
  if (argument == name) {
    const std::string value = i + 1 < argc ? argv[++i] : "";
    return OptionValue{value, value.empty() ? std::string(name) : std::string(name) + " " + value};
  }
  if (starts_with(argument, std::string(name) + "=")) {
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

} // namespace driver
