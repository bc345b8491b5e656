#include "driver/report.h"

#include "driver/formatted.h"

namespace driver {
namespace {

constexpr int rule_length = 51;

} // namespace

double work_units(std::int32_t inner, std::int32_t outer) {
  return static_cast<double>(static_cast<std::uint32_t>(inner) * static_cast<std::uint32_t>(outer));
}

double pass_rate(double units, double elapsed) { return units * 100.0 / elapsed; }

std::int32_t doubled_count(std::int32_t count) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(count) * 2U);
}

std::string pass_header(int pass, std::int32_t outer, std::int32_t inner) {
  return formatted("\n\n Pass #%3d: %5d outer loop(s),%5d inner loop(s)", pass, outer, inner);
}

std::string rule_line(RuleStyle style) {
  const std::string stroke = style == RuleStyle::utf8 ? "\u2550" : "\xCD";
  std::string line = "\n";
  for (int i = 0; i < rule_length; ++i) {
    line += stroke;
  }
  return line;
}

std::string pass_results(const PassFigures &figures) {
  return formatted("\nElapsed time =%8.2lf seconds\nWhetstones   =%8.2lf double-precision megaWhets/second",
                   figures.elapsed, figures.rate * megawhets_per_rate_unit);
}

Comparison compare_passes(const PassFigures &first, const PassFigures &second) {
  return {.time_error = second.elapsed - 2.0 * first.elapsed,
          .rate_error = (first.rate - second.rate) * megawhets_per_rate_unit,
          .percent_error = (first.rate - second.rate) / second.rate * 100.0};
}

std::string comparison_block(const PassFigures &first, const PassFigures &second) {
  const Comparison comparison = compare_passes(first, second);
  return formatted(
      "\n\n Time error  =%8.2lf seconds\n Whet error  =%8.2lf megawhets/sec\n %%    error  =%8.2lf "
      "%% whet error\n\n\a",
      comparison.time_error, comparison.rate_error, comparison.percent_error);
}

std::string copies_line(unsigned copies, double fastest_seconds, double slowest_seconds) {
  return formatted("\nCopies       =%8u, each taking%8.2lf to%8.2lf seconds", copies, fastest_seconds,
                   slowest_seconds);
}

// A total that is not a number compares false and so gives no advice.
bool advice_needed(double total_seconds) { return total_seconds < 10.0; }

std::string advice(double total_seconds) {
  if (!advice_needed(total_seconds)) {
    return {};
  }
  return formatted("\nTIME(%1.0lf) is less than 10 seconds -- suggest larger inner loop", total_seconds);
}

} // namespace driver
