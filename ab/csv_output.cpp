#include "ab/csv_output.h"

#include "ab/verdict_words.h"
#include "report/formatted.h"
#include "statistics/median.h"

#include <cmath>

namespace ab {
namespace {

// A spreadsheet takes a cell that starts with =, +, - or @ for a formula,
// so text from outside (a program's name) that starts so is kept as text.
std::string text_field(const std::string &text) {
  std::string value = !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos
                          ? "'" + text
                          : text;
  if (value.find_first_of(",\"\r\n") == std::string::npos) {
    return value;
  }
  std::string quoted = "\"";
  for (const char c : value) {
    quoted += c == '"' ? "\"\"" : std::string(1, c);
  }
  return quoted + "\"";
}

std::string number(double value) { return std::isfinite(value) ? report::formatted("%.10g", value) : ""; }

std::string line(const std::vector<std::string> &cells) {
  std::string text;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    text += (i == 0 ? "" : ",") + cells[i];
  }
  return text + "\r\n";
}

} // namespace

std::string csv_output(const PairedComparison &comparison) {
  std::string text = line({"program", "name", "slices", "steady_median", "rate_median", "warned", "change_percent",
                           "low_percent", "high_percent", "p_value", "verdict"});
  for (int program = 0; program < 2; ++program) {
    std::vector<double> steady;
    std::vector<double> rate;
    std::size_t warned = 0;
    for (const Slice &slice : comparison.slices) {
      if (slice.round > 0 && slice.program == program) {
        steady.push_back(slice.steady);
        rate.push_back(slice.rate);
        warned += slice.warnings.empty() ? 0 : 1;
      }
    }
    const Answer &answer = comparison.answer;
    const bool b = program == 1;
    text += line({b ? "B" : "A", text_field(comparison.programs[program].name), std::to_string(steady.size()),
                  number(steady.empty() ? NAN : statistics::median(steady)),
                  number(rate.empty() ? NAN : statistics::median(rate)), std::to_string(warned),
                  b ? number(answer.change_percent) : "", b ? number(answer.low_percent) : "",
                  b ? number(answer.high_percent) : "", b ? number(answer.p_value) : "",
                  b ? verdict_name(answer.verdict) : "base"});
  }
  return text;
}

} // namespace ab
