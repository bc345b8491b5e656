#include "report/report.h"

#include "text/formatted.h"

namespace report {
namespace {

constexpr int rule_length = 51;

} // namespace

std::string pass_header(int pass, std::int32_t outer, std::int32_t inner) {
  return text::formatted("\n\n Pass #%3d: %5d outer loop(s),%5d inner loop(s)", pass, outer, inner);
}

std::string rule_line(RuleStyle style) {
  const std::string stroke = style == RuleStyle::utf8 ? "\u2550" : "\xCD";
  std::string line = "\n";
  for (int i = 0; i < rule_length; ++i) {
    line += stroke;
  }
  return line;
}

std::string pass_results(const pass::PassFigures &figures) {
  return text::formatted(
      "\nElapsed time =%8.2lf seconds\nWhetstones   =%8.2lf double-precision megaWhets/second",
      figures.elapsed, pass::megawhets_per_second(figures.rate));
}

std::string comparison_block(const pass::PassFigures &first, const pass::PassFigures &second) {
  const pass::Comparison comparison = pass::compare_passes(first, second);
  return text::formatted(
      "\n\n Time error  =%8.2lf seconds\n Whet error  =%8.2lf megawhets/sec\n %%    error  =%8.2lf "
      "%% whet error\n\n\a",
      comparison.time_error, comparison.rate_error, comparison.percent_error);
}

std::string copies_line(unsigned copies, double fastest_seconds, double slowest_seconds) {
  return text::formatted("\nCopies       =%8u, each taking%8.2lf to%8.2lf seconds", copies, fastest_seconds,
                         slowest_seconds);
}

std::string advice(double total_seconds, const pass::Counts &counts) {
  if (!pass::advice_needed(total_seconds, counts)) {
    return {};
  }
  return text::formatted("\nTIME(%1.0lf) is less than 10 seconds -- suggest larger inner loop",
                         total_seconds);
}

} // namespace report
