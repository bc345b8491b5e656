#include "ab/tables.h"

#include "ab/summary_text.h"
#include "ab/verdict_words.h"
#include "report/formatted.h"
#include "statistics/median.h"

#include <cmath>

namespace ab {
namespace {

std::string figure(double value) { return std::isfinite(value) ? report::formatted("%.2f", value) : "-"; }

std::string p_cell(double p) {
  if (!std::isfinite(p)) {
    return "-";
  }
  return p < 0.001 ? "<0.001" : report::formatted("%.3f", p);
}

std::vector<std::string> program_row(const PairedComparison &comparison, int program) {
  std::vector<double> steady;
  std::vector<double> rate;
  std::size_t warned = 0;
  for (const Slice &slice : comparison.slices) {
    if (slice.round == 0 || slice.program != program) {
      continue;
    }
    steady.push_back(slice.steady);
    rate.push_back(slice.rate);
    warned += slice.warnings.empty() ? 0 : 1;
  }
  const char *letter = program == 0 ? "A" : "B";
  std::vector<std::string> row = {letter,
                                  comparison.programs[program].name,
                                  std::to_string(steady.size()),
                                  figure(steady.empty() ? NAN : statistics::median(steady)),
                                  figure(rate.empty() ? NAN : statistics::median(rate)),
                                  std::to_string(warned)};
  const Answer &answer = comparison.answer;
  if (program == 0) {
    row.insert(row.end(), {"", "", "", "base"});
  } else {
    row.insert(row.end(), {percent_text(answer.change_percent), interval_text(answer), p_cell(answer.p_value),
                           verdict_words(answer.verdict, comparison.settings.threshold_percent)});
  }
  return row;
}

} // namespace

compare_output::Tables comparison_tables(const PairedComparison &comparison) {
  compare_output::Tables tables;
  tables.groups = {.header = {"", "program", "slices", "steady", "rate", "warned", "change",
                              confidence_text(comparison.settings.alpha) + " interval", "p", "verdict"},
                   .rows = {program_row(comparison, 0), program_row(comparison, 1)},
                   .numeric = {false, false, true, true, true, true, true, true, true, false}};
  tables.notes = summary_lines(comparison);
  tables.legend = legend_lines(comparison);
  return tables;
}

} // namespace ab
