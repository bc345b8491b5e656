#include "compare_output/number_text.h"

#include "report/formatted.h"

#include <array>
#include <charconv>
#include <cmath>

namespace compare_output {

std::string exact_number(double value) {
  std::array<char, 32> text{};
  const auto written = std::to_chars(text.data(), text.data() + text.size(), value);
  return std::string(text.data(), written.ptr);
}

// The same forms as the tables' cells, so that a figure on a chart reads as
// it does in the table below it.
std::string rate_text(double megawhets_per_second) { return report::formatted("%.2f", megawhets_per_second); }

std::string percent_text(double percent) { return report::formatted("%+.2f %%", percent); }

std::string probability_text(double probability) {
  return probability < 0.001 ? "<0.001" : report::formatted("%.3f", probability);
}

std::string tick_text(double value, double step) {
  if (step >= 1.0 && value >= 0.0) {
    return count_text(static_cast<std::size_t>(std::llround(value)));
  }
  return report::formatted("%.2f", value);
}

std::string count_text(std::size_t count) {
  const std::string digits = std::to_string(count);
  std::string grouped;
  for (std::size_t at = 0; at < digits.size(); ++at) {
    if (at > 0 && (digits.size() - at) % 3 == 0) {
      grouped += ',';
    }
    grouped += digits[at];
  }
  return grouped;
}

} // namespace compare_output
