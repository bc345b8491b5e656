#include "history/history_tables.h"

#include "history/change_text.h"
#include "history/run_time.h"
#include "output/csv_table.h"
#include "output/number_text.h"
#include "output/verdict_style.h"
#include "statistics/median.h"
#include "text/formatted.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace history {

using output::Align;
using output::Cell;
using output::Column;
using output::count_cell;
using output::csv_table;
using output::Document;
using output::empty_cell;
using output::exact_number;
using output::LastLine;
using output::number_cell;
using output::percent_text;
using output::rate_text;
using output::signed_text;
using output::Table;
using output::text_cell;
using output::verdict_cell;

namespace {

using text::formatted;

std::string figure(double value) { return rate_text(value); }

Cell level_cell(double level) { return number_cell(level, figure(level)); }

// A series' latest change is a verdict on its latest level against the one
// before it, slower or faster, so that every output colours it as it
// colours compare's.
Cell latest_change(const SeriesView &series) {
  if (series.changes.empty()) {
    return empty_cell();
  }
  const ChangeLine &change = series.changes.back();
  return verdict_cell(change.percent < 0.0 ? compare::Verdict::slower : compare::Verdict::faster,
                      change_percent_text(change.percent) + " from " + date_of(change.started_at));
}

std::vector<Column> columns(std::initializer_list<std::pair<const char *, Align>> headings) {
  std::vector<Column> made;
  for (const auto &[heading, align] : headings) {
    made.push_back({.heading = heading, .align = align});
  }
  return made;
}

// Strata are long, so the fleet's table names them S1, S2, ... and the
// notes say what each is.
std::map<std::string, std::string> stratum_labels(const HistoryView &view, std::vector<std::string> &notes) {
  std::map<std::string, std::string> labels;
  for (const SeriesView &series : view.series) {
    const auto [at, added] = labels.emplace(series.stratum, "S" + std::to_string(labels.size() + 1));
    if (added) {
      std::size_t count = 0;
      std::size_t slow = 0;
      std::size_t fast = 0;
      std::vector<double> levels;
      for (const SeriesView &other : view.series) {
        if (other.stratum == series.stratum) {
          ++count;
          slow += other.verdict == compare::Verdict::slow ? 1 : 0;
          fast += other.verdict == compare::Verdict::fast ? 1 : 0;
          if (std::isfinite(other.level)) {
            levels.push_back(other.level);
          }
        }
      }
      notes.push_back(at->second + ": " + series.stratum + "; " + std::to_string(count) +
                      " series, median level " + figure(statistics::median(levels)) +
                      (series.unjudged_because.empty()
                           ? "; " + std::to_string(slow) + " slow, " + std::to_string(fast) + " fast"
                           : "; unjudged: " + series.unjudged_because));
    }
  }
  return labels;
}

Table series_table(const HistoryView &view) {
  Table table{.columns = columns({{"series", Align::left},
                                  {"runs", Align::right},
                                  {"first", Align::left},
                                  {"last", Align::left},
                                  {"level", Align::right},
                                  {"changes", Align::right},
                                  {"latest change", Align::left}})};
  for (const SeriesView &series : view.series) {
    table.rows.push_back({text_cell(series.name), count_cell(series.runs), text_cell(date_of(series.first)),
                          text_cell(date_of(series.last)), level_cell(series.level),
                          count_cell(series.changes.size()), latest_change(series)});
  }
  return table;
}

bool changed_recently(const SeriesView &series) {
  return std::any_of(series.changes.begin(), series.changes.end(),
                     [](const ChangeLine &change) { return change.recent; });
}

// A fleet at a glance: only the series that stand apart or changed
// recently, whatever the fleet's size.
Table fleet_table(const HistoryView &view, const std::map<std::string, std::string> &labels) {
  Table table{.columns = columns({{"series", Align::left},
                                  {"stratum", Align::left},
                                  {"runs", Align::right},
                                  {"last", Align::left},
                                  {"level", Align::right},
                                  {"vs median", Align::right},
                                  {"z", Align::right},
                                  {"verdict", Align::left},
                                  {"latest change", Align::left}})};
  for (const SeriesView &series : view.series) {
    if (series.verdict != compare::Verdict::slow && series.verdict != compare::Verdict::fast &&
        !changed_recently(series)) {
      continue;
    }
    const double below = series.deficit_percent ? -*series.deficit_percent : std::nan("");
    const double z = series.modified_z ? *series.modified_z : std::nan("");
    table.rows.push_back({text_cell(series.name), text_cell(labels.at(series.stratum)),
                          count_cell(series.runs), text_cell(date_of(series.last)), level_cell(series.level),
                          number_cell(below, percent_text(below, 1)), number_cell(z, signed_text(z, 1)),
                          verdict_cell(series.verdict), latest_change(series)});
  }
  return table;
}

std::vector<std::string> legend(const HistoryView &view) {
  const ViewSettings &settings = view.settings;
  std::vector<std::string> lines = {
      "level: the median steady figure (pass 2's fastest group of outer iterations, in megaWhets/second) of "
      "the "
      "series' latest segment, the runs since its last change",
      formatted(
          "change: where the steady figures moved to a new level, found by E-divisive means on their ranks "
          "with a permutation test (p), at least %g %% between the medians of the levels either side; runs "
          "with a warning (unless most of the series' runs have one) or whose arithmetic was not the "
          "workload's are left out, and no change rests on fewer than ",
          settings.trend.min_change_percent) +
          std::to_string(settings.trend.change_points.shortest_segment) + " runs"};
  if (settings.fleet) {
    lines.push_back(formatted("vs median: the latest level against its stratum's median (the series with the "
                              "same processor, build and "
                              "copies); z: modified z-score 0.6745 (x - median) / MAD; slow: z below -3.5 "
                              "and at least %g %% below the "
                              "median (fast: the mirror); unjudged: fewer than 5 series in the stratum",
                              settings.slow_percent));
    lines.push_back(
        "recent: within " + std::to_string(settings.recent_days) + " days of the newest run, " +
        date_of(view.newest) + "; a stratum's change: one that at least half of its hosts, and at least " +
        std::to_string(fewest_series_in_stratum_change) + ", made within " +
        std::to_string(stratum_change_days) + " days of one another, or as far apart as their runs");
  }
  return lines;
}

} // namespace

std::string future_runs_sentence(const HistoryView &view) {
  if (view.future_runs == 0) {
    return {};
  }
  std::string sentence = std::to_string(view.future_runs) +
                         (view.future_runs == 1 ? " run says" : " runs say") + " it started after " +
                         view.settings.trend.future_after +
                         ", in the future, by a wrong clock; left out of the trends and of what is recent: ";
  for (std::size_t i = 0; i < view.future_examples.size(); ++i) {
    sentence += (i == 0 ? "" : ", ") + view.future_examples[i];
  }
  return sentence + (view.future_runs > view.future_examples.size() ? ", ..." : "");
}

HistoryTables history_tables(const HistoryView &view) {
  HistoryTables tables;
  if (view.settings.fleet) {
    const std::map<std::string, std::string> labels = stratum_labels(view, tables.notes);
    tables.series = fleet_table(view, labels);
    for (const StratumChange &change : view.stratum_changes) {
      tables.stratum_changes.push_back(labels.at(change.stratum) + ": " + stratum_change_text(change) +
                                       (change.recent ? "" : " (not recent)"));
    }
  } else {
    tables.series = series_table(view);
  }
  std::size_t left_out = 0;
  for (const SeriesView &series : view.series) {
    left_out += series.left_out;
    for (const ChangeLine &change : series.changes) {
      if (!view.settings.fleet || (change.recent && !change.of_stratum)) {
        tables.changes.push_back(change_line(change));
      }
    }
  }
  if (left_out > 0) {
    tables.notes.push_back(
        std::to_string(left_out) + (left_out == 1 ? " run" : " runs") +
        " left out of the trends (the page draws them): with a warning, or with arithmetic that "
        "was not the workload's");
  }
  if (const std::string future = future_runs_sentence(view); !future.empty()) {
    tables.notes.push_back(future);
  }
  tables.legend = legend(view);
  for (const std::string &host : flagged_hosts(view)) {
    tables.flagged += (tables.flagged.empty() ? "" : ",") + host;
  }
  return tables;
}

Document history_document(const HistoryTables &tables, bool fleet) {
  Document document{
      .table = tables.series,
      .in_place_of_no_rows = fleet ? "No series is slow or fast, or changed recently." : "",
      .lists = {{fleet ? "Recent changes of single hosts:" : "Changes:",
                 fleet ? "Recent changes of single hosts" : "Changes", tables.changes},
                {"Changes of a whole stratum:", "Changes of a whole stratum", tables.stratum_changes},
                {fleet ? "Strata and notes:" : "Notes:", "Notes", tables.notes},
                {"Legend:", "Legend", tables.legend}}};
  if (fleet) {
    document.last_line = LastLine{"Changed recently or slow, comma-separated:", "Changed recently or slow:",
                                  tables.flagged.empty() ? std::vector<std::string>{}
                                                         : std::vector<std::string>{tables.flagged}};
  }
  return document;
}

// Every figure of every series, as numbers a spreadsheet keeps: the table's
// columns and more, one line per series.
std::string history_csv(const HistoryView &view) {
  Table table{.columns = columns({{"series", Align::left},
                                  {"host", Align::left},
                                  {"label", Align::left},
                                  {"stratum", Align::left},
                                  {"runs", Align::right},
                                  {"left_out", Align::right},
                                  {"first", Align::left},
                                  {"last", Align::left},
                                  {"level", Align::right},
                                  {"changes", Align::right},
                                  {"latest_change_percent", Align::right},
                                  {"latest_change_started_at", Align::left},
                                  {"latest_change_run", Align::right},
                                  {"latest_change_p_value", Align::right},
                                  {"deficit_percent", Align::right},
                                  {"modified_z", Align::right},
                                  {"recent_change", Align::left},
                                  {"verdict", Align::left}})};
  const auto number = [](std::optional<double> value) {
    return value ? number_cell(*value, exact_number(*value)) : empty_cell("");
  };
  for (const SeriesView &series : view.series) {
    const ChangeLine *latest = series.changes.empty() ? nullptr : &series.changes.back();
    table.rows.push_back({text_cell(series.name), text_cell(series.identity.host_name.str()),
                          series.identity.label ? text_cell(series.identity.label->str()) : empty_cell(""),
                          text_cell(series.stratum), count_cell(series.runs), count_cell(series.left_out),
                          text_cell(series.first), text_cell(series.last), number(series.level),
                          count_cell(series.changes.size()),
                          latest ? number(latest->percent) : empty_cell(""),
                          latest ? text_cell(latest->started_at) : empty_cell(""),
                          latest ? count_cell(latest->run) : empty_cell(""),
                          latest ? number(latest->p_value) : empty_cell(""), number(series.deficit_percent),
                          number(series.modified_z), text_cell(changed_recently(series) ? "true" : "false"),
                          view.settings.fleet ? verdict_cell(series.verdict) : empty_cell("")});
  }
  return csv_table(table);
}

} // namespace history
