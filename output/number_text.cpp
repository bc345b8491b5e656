#include "output/number_text.h"

#include "text/formatted.h"

#include <array>
#include <charconv>
#include <cmath>

namespace output {
namespace {

// printf keeps the sign of a figure it rounds to zero: "-0.0".
std::string without_negative_zero(std::string text, char sign_of_zero) {
  if (text.size() > 1 && text.front() == '-' && text.find_first_of("123456789") == std::string::npos) {
    text.erase(0, 1);
    if (sign_of_zero != '\0') {
      text.insert(text.begin(), sign_of_zero);
    }
  }
  return text;
}

} // namespace

std::string exact_number(double value) {
  std::array<char, 32> text{};
  const auto written = std::to_chars(text.data(), text.data() + text.size(), value);
  return std::string(text.data(), written.ptr);
}

std::string fixed_text(double value, int decimals) {
  if (!std::isfinite(value)) {
    return "-";
  }
  return without_negative_zero(text::formatted("%.*f", decimals, value), '\0');
}

std::string signed_text(double value, int decimals) {
  if (!std::isfinite(value)) {
    return "-";
  }
  return without_negative_zero(text::formatted("%+.*f", decimals, value), '+');
}

std::string rate_text(double megawhets_per_second) { return fixed_text(megawhets_per_second, 2); }

std::string percent_text(double percent, int decimals) {
  return std::isfinite(percent) ? signed_text(percent, decimals) + " %" : "-";
}

std::string share_text(double share) {
  return std::isfinite(share) ? fixed_text(share * 100.0, 1) + " %" : "-";
}

std::string probability_text(double probability) {
  if (!std::isfinite(probability)) {
    return "-";
  }
  return probability < 0.001 ? "<0.001" : fixed_text(probability, 3);
}

std::string setting_text(double value) { return without_negative_zero(text::formatted("%g", value), '\0'); }

std::string tick_text(double value, double step) {
  if (step >= 1.0) {
    const long long whole = std::llround(value);
    return (whole < 0 ? "-" : "") + count_text(static_cast<std::size_t>(whole < 0 ? -whole : whole));
  }
  return fixed_text(value, 2);
}

std::string count_text(std::size_t count) { return text::with_thousands(count); }

std::string counted(std::size_t count, const std::string &one, const std::string &many) {
  return count_text(count) + " " + (count == 1 ? one : many);
}

} // namespace output
