#include "ab/tables.h"

#include "ab/disturbed_slices.h"
#include "ab/judged_figure.h"
#include "ab/summary_text.h"
#include "ab/verdict_words.h"
#include "output/number_text.h"
#include "output/verdict_style.h"
#include "statistics/median.h"

#include <cmath>
#include <limits>

namespace ab {

using output::Align;
using output::Cell;
using output::Column;
using output::count_cell;
using output::disturbed_mark;
using output::Document;
using output::empty_cell;
using output::number_cell;
using output::probability_text;
using output::rate_text;
using output::Table;
using output::text_cell;
using output::verdict_cell;

namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

// A program's slices in the rounds: the median of each figure, and how
// many warned.
struct ProgramFigures {
  std::size_t slices = 0;
  double steady = not_a_number;
  double rate = not_a_number;
  double judged = not_a_number;
  std::size_t warned = 0;
};

ProgramFigures figures_of(const PairedComparison &comparison, int program) {
  std::vector<double> steady;
  std::vector<double> rate;
  std::vector<double> judged_figures;
  ProgramFigures figures;
  for (const Slice &slice : comparison.slices) {
    if (slice.round == 0 || slice.program != program) {
      continue;
    }
    steady.push_back(slice.steady);
    rate.push_back(slice.rate);
    judged_figures.push_back(judged(slice, comparison.settings.figure));
    figures.warned += slice.warnings.empty() ? 0 : 1;
  }
  figures.slices = steady.size();
  if (!steady.empty()) {
    figures.steady = statistics::median(steady);
    figures.rate = statistics::median(rate);
    figures.judged = statistics::median(judged_figures);
  }
  return figures;
}

Cell rate_cell(double value) { return number_cell(value, rate_text(value)); }

// The figures' columns: the judged one first, named so, then steady and
// rate where they are not the judged one.
std::vector<Column> figure_columns(Figure figure) {
  std::vector<Column> columns = {{std::string(figure_name(figure)) + " (judged)", Align::right}};
  for (const Figure shown : {Figure::steady, Figure::rate}) {
    if (shown != figure) {
      columns.push_back({figure_name(shown), Align::right});
    }
  }
  return columns;
}

std::vector<Cell> figure_cells(Figure figure, const ProgramFigures &figures) {
  std::vector<Cell> cells = {rate_cell(figures.judged)};
  for (const Figure shown : {Figure::steady, Figure::rate}) {
    if (shown != figure) {
      cells.push_back(rate_cell(shown == Figure::steady ? figures.steady : figures.rate));
    }
  }
  return cells;
}

} // namespace

Document comparison_document(const PairedComparison &comparison) {
  const Answer &answer = comparison.answer;
  const Figure figure = comparison.settings.figure;
  Table table{.columns = {{"", Align::left}, {"program", Align::left}, {"slices", Align::right}}};
  for (Column &column : figure_columns(figure)) {
    table.columns.push_back(std::move(column));
  }
  table.columns.insert(table.columns.end(),
                       {{"warned", Align::right},
                        {"change", Align::right},
                        {confidence_text(comparison.settings.alpha) + " interval", Align::right},
                        {"p", Align::right},
                        {"verdict", Align::left}});
  for (int program = 0; program < 2; ++program) {
    const ProgramFigures figures = figures_of(comparison, program);
    std::vector<Cell> row = {text_cell(program_letters[program]),
                             text_cell(comparison.programs[program].name), count_cell(figures.slices)};
    for (Cell &cell : figure_cells(figure, figures)) {
      row.push_back(std::move(cell));
    }
    row.push_back(count_cell(figures.warned));
    if (program == 0) {
      row.insert(row.end(), {empty_cell(""), empty_cell(""), empty_cell(""), verdict_cell(Verdict::base)});
    } else {
      row.insert(row.end(),
                 {number_cell(answer.change_percent, output::percent_text(answer.change_percent)),
                  std::isfinite(answer.low_percent) ? text_cell(interval_text(answer)) : empty_cell(),
                  number_cell(answer.p_value, probability_text(answer.p_value)),
                  verdict_cell(answer.verdict,
                               verdict_words(answer.verdict, comparison.settings.threshold_percent) +
                                   std::string(rests_on_disturbed_slices(comparison) ? disturbed_mark
                                                                                     : std::string_view{}))});
    }
    table.rows.push_back(std::move(row));
  }
  return {.table = std::move(table),
          .lists = {{std::string(notes_heading) + ":", notes_heading, summary_lines(comparison)},
                    {std::string(legend_heading) + ":", legend_heading, legend_lines(comparison)}}};
}

Table csv_table(const PairedComparison &comparison) {
  const Answer &answer = comparison.answer;
  Table table{.columns = {{"program", Align::left},
                          {"name", Align::left},
                          {"slices", Align::right},
                          {"steady_median", Align::right},
                          {"rate_median", Align::right},
                          {"warned", Align::right},
                          {"figure", Align::left},
                          {"change_percent", Align::right},
                          {"low_percent", Align::right},
                          {"high_percent", Align::right},
                          {"p_value", Align::right},
                          {"verdict", Align::left}}};
  const auto number = [](double value) { return number_cell(value, ""); };
  for (int program = 0; program < 2; ++program) {
    const ProgramFigures figures = figures_of(comparison, program);
    const bool b = program == 1;
    table.rows.push_back(
        {text_cell(program_letters[program]), text_cell(comparison.programs[program].name),
         count_cell(figures.slices), number(figures.steady), number(figures.rate), count_cell(figures.warned),
         text_cell(figure_name(comparison.settings.figure)),
         b ? number(answer.change_percent) : empty_cell(""), b ? number(answer.low_percent) : empty_cell(""),
         b ? number(answer.high_percent) : empty_cell(""), b ? number(answer.p_value) : empty_cell(""),
         verdict_cell(b ? answer.verdict : Verdict::base)});
  }
  return table;
}

} // namespace ab
