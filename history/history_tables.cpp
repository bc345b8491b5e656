#include "history/history_tables.h"

#include "compare_output/verdict_style.h"
#include "history/change_text.h"
#include "history/run_time.h"
#include "report/formatted.h"
#include "statistics/median.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace history {
namespace {

using Table = TextTable;
using report::formatted;

std::string figure(double value) { return std::isfinite(value) ? formatted("%.2f", value) : "-"; }

std::string latest_change(const SeriesView &series) {
  if (series.changes.empty()) {
    return "-";
  }
  const ChangeLine &change = series.changes.back();
  return change_percent_text(change.percent) + " from " + date_of(change.started_at);
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
      notes.push_back(at->second + ": " + series.stratum + "; " + std::to_string(count) + " series, median level " +
                      figure(statistics::median(levels)) +
                      (series.unjudged_because.empty()
                           ? "; " + std::to_string(slow) + " slow, " + std::to_string(fast) + " fast"
                           : "; unjudged: " + series.unjudged_because));
    }
  }
  return labels;
}

Table series_table(const HistoryView &view) {
  Table table{.header = {"series", "runs", "first", "last", "level", "changes", "latest change"},
              .numeric = {false, true, false, false, true, true, false}};
  for (const SeriesView &series : view.series) {
    table.rows.push_back({series.name, std::to_string(series.runs), date_of(series.first), date_of(series.last),
                          figure(series.level), std::to_string(series.changes.size()), latest_change(series)});
  }
  return table;
}

bool changed_recently(const SeriesView &series) {
  return std::any_of(series.changes.begin(), series.changes.end(), [](const ChangeLine &change) { return change.recent; });
}

// A fleet at a glance: only the series that stand apart or changed
// recently, whatever the fleet's size.
Table fleet_table(const HistoryView &view, const std::map<std::string, std::string> &labels) {
  Table table{.header = {"series", "stratum", "runs", "last", "level", "vs median", "z", "verdict", "latest change"},
              .numeric = {false, false, true, false, true, true, true, false, false}};
  for (const SeriesView &series : view.series) {
    if (series.verdict != compare::Verdict::slow && series.verdict != compare::Verdict::fast &&
        !changed_recently(series)) {
      continue;
    }
    table.rows.push_back({series.name, labels.at(series.stratum), std::to_string(series.runs), date_of(series.last),
                          figure(series.level),
                          series.deficit_percent ? formatted("%+.1f %%", -*series.deficit_percent) : "-",
                          series.modified_z ? formatted("%+.1f", *series.modified_z) : "-",
                          std::string(compare_output::verdict_word(series.verdict)), latest_change(series)});
  }
  return table;
}

std::vector<std::string> legend(const HistoryView &view) {
  const ViewSettings &settings = view.settings;
  std::vector<std::string> lines = {
      "level: the median steady figure (pass 2's fastest group of outer iterations, in megaWhets/second) of the "
      "series' latest segment, the runs since its last change",
      formatted("change: where the steady figures moved to a new level, found by E-divisive means on their ranks "
                "with a permutation test (p), at least %g %% between the medians of the levels either side; runs "
                "with a warning (unless most of the series' runs have one) or whose arithmetic was not the "
                "workload's are left out, and no change rests on fewer than ",
                settings.trend.min_change_percent) +
          std::to_string(settings.trend.change_points.shortest_segment) + " runs"};
  if (settings.fleet) {
    lines.push_back(formatted(
        "vs median: the latest level against its stratum's median (the series with the same processor, build and "
        "copies); z: modified z-score 0.6745 (x - median) / MAD; slow: z below -3.5 and at least %g %% below the "
        "median (fast: the mirror); unjudged: fewer than 5 series in the stratum",
        settings.slow_percent));
    lines.push_back("recent: within " + std::to_string(settings.recent_days) + " days of the newest run, " +
                    date_of(view.newest) + "; a stratum's change: one that at least half of its hosts, and at least " +
                    std::to_string(fewest_series_in_stratum_change) + ", made within " +
                    std::to_string(stratum_change_days) + " days of one another, or as far apart as their runs");
  }
  return lines;
}

// Columns are aligned by characters, not bytes: a UTF-8 character's
// continuation bytes take no column of their own.
std::size_t columns(const std::string &text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string coloured(const std::string &cell, const std::string &padded, bool colour) {
  if (colour && (cell == "slow" || cell.starts_with("\u2212"))) {
    return "\x1b[38;5;208m" + padded + "\x1b[0m";
  }
  if (colour && cell == "fast") {
    return "\x1b[34m" + padded + "\x1b[0m";
  }
  return padded;
}

std::string aligned(const Table &table, bool colour) {
  std::vector<std::vector<std::string>> lines{table.header};
  for (const auto &row : table.rows) {
    std::vector<std::string> shown;
    for (const std::string &cell : row) {
      shown.push_back(report::printable(cell));
    }
    lines.push_back(shown);
  }
  std::vector<std::size_t> widths(table.header.size(), 0);
  for (const auto &line : lines) {
    for (std::size_t column = 0; column < line.size(); ++column) {
      widths[column] = std::max(widths[column], columns(line[column]));
    }
  }
  std::string text;
  for (std::size_t row = 0; row < lines.size(); ++row) {
    std::string line;
    for (std::size_t column = 0; column < lines[row].size(); ++column) {
      const std::string &cell = lines[row][column];
      const std::string padding(widths[column] - columns(cell), ' ');
      const std::string padded = table.numeric[column] ? padding + cell : cell + padding;
      line += (column == 0 ? "" : "  ") + coloured(cell, padded, colour && row > 0);
    }
    line.erase(line.find_last_not_of(' ') + 1);
    text += line + "\n";
  }
  return text;
}

std::string section(const std::string &title, const std::vector<std::string> &lines) {
  if (lines.empty()) {
    return {};
  }
  std::string text = "\n" + title + "\n";
  for (const std::string &line : lines) {
    text += "  " + report::printable(line) + "\n";
  }
  return text;
}

// A Markdown cell holds no line break, and its bars and backslashes are its
// own.
std::string markdown_cell(const std::string &text) {
  std::string escaped;
  for (const char c : report::printable(text)) {
    if (c == '|' || c == '\\' || c == '*' || c == '_' || c == '`' || c == '<' || c == '[' || c == ']') {
      escaped += '\\';
    }
    escaped += c;
  }
  return escaped;
}

std::string markdown_list(const std::string &title, const std::vector<std::string> &items) {
  if (items.empty()) {
    return {};
  }
  std::string text = "\n**" + title + "**\n\n";
  for (const std::string &item : items) {
    text += "- " + markdown_cell(item) + "\n";
  }
  return text;
}

// A spreadsheet takes a cell that begins with one of these as a formula.
std::string csv_field(const std::string &text) {
  std::string value = text;
  if (!value.empty() && std::string("=+-@\t\r").find(value.front()) != std::string::npos) {
    value.insert(0, "'");
  }
  if (value.find_first_of(",\"\r\n") == std::string::npos) {
    return value;
  }
  std::string quoted = "\"";
  for (const char c : value) {
    quoted += c == '"' ? "\"\"" : std::string(1, c);
  }
  return quoted + "\"";
}

std::string csv_number(double value) { return std::isfinite(value) ? formatted("%.10g", value) : ""; }
std::string csv_number(std::optional<double> value) { return value ? csv_number(*value) : ""; }

std::string csv_line(const std::vector<std::string> &cells, const std::vector<bool> &text) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    line += (i == 0 ? "" : ",") + (text[i] ? csv_field(cells[i]) : cells[i]);
  }
  return line + "\r\n";
}

} // namespace

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
    tables.notes.push_back(std::to_string(left_out) + (left_out == 1 ? " run" : " runs") +
                           " left out of the trends (the page draws them): with a warning, or with arithmetic that "
                           "was not the workload's");
  }
  tables.legend = legend(view);
  for (const std::string &name : flagged_series(view)) {
    tables.flagged += (tables.flagged.empty() ? "" : ",") + name;
  }
  return tables;
}

std::string history_text(const HistoryTables &tables, bool fleet, bool colour) {
  std::string text = fleet && tables.series.rows.empty() ? "No series is slow or fast, or changed recently.\n"
                                                          : aligned(tables.series, colour);
  text += section(fleet ? "Recent changes of single hosts:" : "Changes:", tables.changes);
  text += section("Changes of a whole stratum:", tables.stratum_changes);
  text += section(fleet ? "Strata and notes:" : "Notes:", tables.notes);
  text += section("Legend:", tables.legend);
  if (fleet) {
    text += "\nChanged recently or slow, comma-separated:\n" + report::printable(tables.flagged) + "\n";
  }
  return text;
}

std::string history_markdown(const HistoryTables &tables, bool fleet) {
  const auto row = [](const std::vector<std::string> &cells) {
    std::string line = "|";
    for (const std::string &cell : cells) {
      line += " " + markdown_cell(cell) + " |";
    }
    return line + "\n";
  };
  std::string text;
  if (fleet && tables.series.rows.empty()) {
    text = "No series is slow or fast, or changed recently.\n";
  } else {
    text = row(tables.series.header) + "|";
    for (const bool numeric : tables.series.numeric) {
      text += numeric ? "---:|" : "---|";
    }
    text += "\n";
    for (const auto &cells : tables.series.rows) {
      text += row(cells);
    }
  }
  text += markdown_list(fleet ? "Recent changes of single hosts" : "Changes", tables.changes);
  text += markdown_list("Changes of a whole stratum", tables.stratum_changes);
  text += markdown_list("Notes", tables.notes);
  text += markdown_list("Legend", tables.legend);
  if (fleet) {
    text += "\n**Changed recently or slow:** " + (tables.flagged.empty() ? std::string("none") : markdown_cell(tables.flagged)) + "\n";
  }
  return text;
}

std::string history_csv(const HistoryView &view) {
  const std::vector<bool> text = {true, true, true, true, false, false, true, true, false,
                                  false, false, true, false, false, false, false, false, true};
  std::string csv = csv_line({"series", "host", "label", "stratum", "runs", "left_out", "first", "last", "level",
                              "changes", "latest_change_percent", "latest_change_started_at", "latest_change_run",
                              "latest_change_p_value", "deficit_percent", "modified_z", "recent_change", "verdict"},
                             std::vector<bool>(18, false));
  for (const SeriesView &series : view.series) {
    const ChangeLine *latest = series.changes.empty() ? nullptr : &series.changes.back();
    const bool recent = std::any_of(series.changes.begin(), series.changes.end(),
                                    [](const ChangeLine &change) { return change.recent; });
    csv += csv_line({series.name, series.identity.host_name.str(),
                     series.identity.label ? series.identity.label->str() : std::string(), series.stratum,
                     std::to_string(series.runs), std::to_string(series.left_out), series.first, series.last,
                     csv_number(series.level), std::to_string(series.changes.size()),
                     latest ? csv_number(latest->percent) : "", latest ? latest->started_at : "",
                     latest ? std::to_string(latest->run) : "", latest ? csv_number(latest->p_value) : "",
                     csv_number(series.deficit_percent), csv_number(series.modified_z), recent ? "true" : "false",
                     view.settings.fleet ? std::string(compare_output::verdict_word(series.verdict)) : ""},
                    text);
  }
  return csv;
}

} // namespace history
