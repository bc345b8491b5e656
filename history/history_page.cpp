#include "history/history_page.h"

#include "compare_output/chart_scale.h"
#include "compare_output/html_tables.h"
#include "compare_output/html_text.h"
#include "compare_output/number_text.h"
#include "compare_output/page_style.h"
#include "compare_output/verdict_style.h"
#include "history/change_text.h"
#include "history/run_time.h"
#include "report/formatted.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>

namespace history {
namespace {

using compare_output::exact_number;
using compare_output::html_text;

// ` name="value"`, the value escaped.
std::string data_attribute(std::string_view name, std::string_view value) {
  return " " + std::string(name) + "=\"" + html_text(value) + "\"";
}

// A coordinate or length in pixels, to a hundredth.
std::string pixels(double value) { return report::formatted("%.2f", value); }

struct MarkFacts {
  std::string_view kind{};  // data-kind: "run", "level", "change", "band", ...
  std::string_view name{};  // data-name: the series or stratum
  std::string value{};      // data-value: the figure drawn, as exact_number writes it
  std::string title{};      // what a reader sees on hovering
  std::string attributes{}; // further attributes, written by data_attribute
};

// <shape class=... geometry data-kind=... data-name=... data-value=...><title>...</title></shape>
std::string svg_mark(std::string_view shape, std::string_view css_class, std::string_view geometry,
                     const MarkFacts &facts) {
  return "<" + std::string(shape) + " class=\"" + std::string(css_class) + "\" " + std::string(geometry) +
         data_attribute("data-kind", facts.kind) + data_attribute("data-name", facts.name) +
         data_attribute("data-value", facts.value) + facts.attributes + "><title>" + html_text(facts.title) +
         "</title></" + std::string(shape) + ">\n";
}

// The table as HTML, the very cells the terminal shows, each row given its
// class where there is one.
std::string html_table(const TextTable &table, const std::vector<std::string_view> &row_classes) {
  const auto cell = [&](const char *tag, std::size_t column, const std::string &text) {
    const bool numeric = column < table.numeric.size() && table.numeric[column];
    return std::string("<") + tag + (numeric ? " class=\"num\"" : "") + ">" + html_text(text) + "</" + tag + ">";
  };
  std::string html = "<div class=\"table-wrap\"><table>\n<thead><tr>";
  for (std::size_t column = 0; column < table.header.size(); ++column) {
    html += cell("th", column, table.header[column]);
  }
  html += "</tr></thead>\n<tbody>\n";
  for (std::size_t row = 0; row < table.rows.size(); ++row) {
    const bool classed = row < row_classes.size() && !row_classes[row].empty();
    html += classed ? "<tr class=\"" + std::string(row_classes[row]) + "\">" : std::string("<tr>");
    for (std::size_t column = 0; column < table.rows[row].size(); ++column) {
      html += cell("td", column, table.rows[row][column]);
    }
    html += "</tr>\n";
  }
  return html + "</tbody>\n</table></div>\n";
}

// The same policy as compare's page: nothing from anywhere, styles inline.
constexpr std::string_view content_security_policy =
    "default-src 'none'; style-src 'unsafe-inline'; base-uri 'none'; form-action 'none'";

// A panel's box, and the plot within it, in pixels.
constexpr double panel_width = 300.0;
constexpr double panel_height = 132.0;
constexpr double plot_left = 52.0;
constexpr double plot_right = 292.0;
constexpr double plot_top = 8.0;
constexpr double plot_bottom = 112.0;

constexpr std::string_view history_style = R"css(
.multiples { display: grid; grid-template-columns: repeat(auto-fill, minmax(300px, 1fr)); gap: 0.5rem 0.75rem; }
.multiple { margin: 0; }
.multiple h3 { font-size: 0.9rem; margin: 0.2rem 0 0; overflow-wrap: anywhere; }
.multiple p { font-size: 0.8rem; margin: 0; color: #3c4650; }
svg.panel { display: block; width: 300px; height: 132px; }
svg .trend { fill: none; stroke: var(--slate); stroke-width: 1; }
svg .run { fill: var(--ink); stroke: none; }
svg .run.left-out { fill: #fff; stroke: #7b858f; stroke-width: 1; }
svg .level { stroke: var(--ink); stroke-width: 2; }
svg .change { stroke-width: 1.5; stroke-dasharray: 4 2; }
svg .change.slower { stroke: var(--orange); }
svg .change.faster { stroke: var(--blue); }
svg .band { fill: var(--grey); fill-opacity: 0.6; stroke: none; }
svg .band-mean { fill: none; stroke: var(--slate); stroke-width: 1.2; }
.changes-list { font-size: 0.9rem; }
)css";

std::string plural(std::size_t count, std::string_view one, std::string_view many) {
  return compare_output::count_text(count) + " " + std::string(count == 1 ? one : many);
}

// The page's time axis: every panel spans the same times, so that a change
// the whole fleet made stands at one place in every panel.
struct TimeSpan {
  double first = 0.0;
  double last = 1.0;
  bool known = false; // every series' first and last runs give a time
};

TimeSpan time_span(const HistoryView &view) {
  TimeSpan span{.first = std::numeric_limits<double>::infinity(), .last = -std::numeric_limits<double>::infinity(),
                .known = !view.series.empty()};
  for (const SeriesView &series : view.series) {
    const auto first = seconds_of(series.first);
    const auto last = seconds_of(series.last);
    if (!first || !last) {
      span.known = false;
      break;
    }
    span.first = std::min(span.first, *first);
    span.last = std::max(span.last, *last);
  }
  if (!span.known) {
    return {};
  }
  if (span.last <= span.first) {
    span.last = span.first + 1.0;
  }
  return span;
}

// Where each run of a series stands across a panel: by its time where every
// run gives one, otherwise by its place among the series' runs.
std::vector<double> run_xs(const std::vector<StoredRun> &runs, const TimeSpan &span) {
  std::vector<double> xs;
  bool by_time = span.known;
  for (const StoredRun &run : runs) {
    const auto seconds = seconds_of(run.started_at);
    by_time = by_time && seconds;
    xs.push_back(seconds ? plot_left + (*seconds - span.first) / (span.last - span.first) * (plot_right - plot_left)
                         : 0.0);
  }
  if (!by_time) {
    for (std::size_t i = 0; i < runs.size(); ++i) {
      xs[i] = runs.size() == 1 ? (plot_left + plot_right) / 2.0
                               : plot_left + static_cast<double>(i) / static_cast<double>(runs.size() - 1) *
                                                 (plot_right - plot_left);
    }
  }
  return xs;
}

compare_output::Axis value_axis(const std::vector<StoredRun> &runs, const std::vector<bool> &left_out) {
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();
  for (const bool counted_only : {true, false}) {
    for (std::size_t i = 0; i < runs.size(); ++i) {
      if (!counted_only || !left_out[i]) {
        low = std::min(low, runs[i].steady);
        high = std::max(high, runs[i].steady);
      }
    }
    if (std::isfinite(low)) {
      break;
    }
  }
  return compare_output::round_axis(low, high, 3);
}

std::string axis_marks(const compare_output::Axis &axis, const compare_output::Scale &y) {
  std::string marks = "<g class=\"axis\">\n";
  for (const double tick : axis.ticks) {
    const double at = y.at(tick);
    marks += "<line x1=\"" + pixels(plot_left) + "\" x2=\"" + pixels(plot_right) + "\" y1=\"" + pixels(at) +
             "\" y2=\"" + pixels(at) + "\" data-tick=\"" + exact_number(tick) + "\"></line>\n";
    marks += "<text class=\"small\" x=\"" + pixels(plot_left - 4.0) + "\" y=\"" + pixels(at + 4.0) +
             "\" text-anchor=\"end\">" + html_text(compare_output::tick_text(tick, axis.ticks.size() > 1
                                                                                    ? axis.ticks[1] - axis.ticks[0]
                                                                                    : 1.0)) +
             "</text>\n";
  }
  return marks + "</g>\n";
}

// Within the plot, however far a left-out run fell.
double clamped(double y) { return std::clamp(y, plot_top, plot_bottom); }

std::string run_marks(const SeriesView &series, const std::vector<StoredRun> &runs, const std::vector<bool> &left_out,
                      const std::vector<double> &xs, const compare_output::Scale &y) {
  std::string path;
  std::string dots;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const StoredRun &run = runs[i];
    const double at = y.at(run.steady);
    if (!left_out[i]) {
      path += (path.empty() ? "M" : " L") + pixels(xs[i]) + " " + pixels(at);
    }
    std::string title = series.name + ": run " + std::to_string(i + 1) + " of " + std::to_string(runs.size()) + ", " +
                        run.started_at + ": " + compare_output::rate_text(run.steady) + " megaWhets/s";
    if (left_out[i]) {
      title += run.self_check_passed
                   ? "; left out of the trend: " + std::to_string(run.warnings) + (run.warnings == 1 ? " warning" : " warnings")
                   : "; left out of the trend: its self-check failed";
    }
    dots += svg_mark("circle", left_out[i] ? "run left-out" : "run",
                     "cx=\"" + pixels(xs[i]) + "\" cy=\"" + pixels(clamped(at)) + "\" r=\"2\"",
                     {.kind = "run",
                      .name = series.name,
                      .value = exact_number(run.steady),
                      .title = title,
                      .attributes = data_attribute("data-run", std::to_string(i + 1)) +
                                    (left_out[i] ? data_attribute("data-left-out", "true") : "")});
  }
  return (path.empty() ? std::string() : "<path class=\"trend\" d=\"" + path + "\"></path>\n") + dots;
}

std::string level_marks(const SeriesView &series, const std::vector<double> &xs, const compare_output::Scale &y) {
  std::string marks;
  for (const Segment &segment : series.segments) {
    const double at = y.at(segment.median);
    marks += svg_mark("line", "level",
                      "x1=\"" + pixels(xs[segment.first]) + "\" x2=\"" + pixels(xs[segment.last]) + "\" y1=\"" +
                          pixels(at) + "\" y2=\"" + pixels(at) + "\"",
                      {.kind = "level",
                       .name = series.name,
                       .value = exact_number(segment.median),
                       .title = series.name + ": level " + compare_output::rate_text(segment.median) + " megaWhets/s, runs " +
                                std::to_string(segment.first + 1) + " to " + std::to_string(segment.last + 1),
                       .attributes = data_attribute("data-first-run", std::to_string(segment.first + 1)) +
                                     data_attribute("data-last-run", std::to_string(segment.last + 1))});
  }
  for (const ChangeLine &change : series.changes) {
    const double x = xs[change.run - 1];
    marks += svg_mark("line", change.percent < 0.0 ? "change slower" : "change faster",
                      "x1=\"" + pixels(x) + "\" x2=\"" + pixels(x) + "\" y1=\"" + pixels(plot_top) + "\" y2=\"" +
                          pixels(plot_bottom) + "\"",
                      {.kind = "change",
                       .name = series.name,
                       .value = exact_number(change.percent),
                       .title = change_line(change),
                       .attributes = data_attribute("data-run", std::to_string(change.run))});
  }
  return marks;
}

std::string time_labels(const TimeSpan &span) {
  if (!span.known) {
    return {};
  }
  const auto date = [](double seconds) { return date_text(static_cast<long>(std::floor(seconds / 86400.0))); };
  return "<text class=\"small\" x=\"" + pixels(plot_left) + "\" y=\"" + pixels(plot_bottom + 14.0) + "\">" +
         html_text(date(span.first)) + "</text>\n<text class=\"small\" x=\"" + pixels(plot_right) + "\" y=\"" +
         pixels(plot_bottom + 14.0) + "\" text-anchor=\"end\">" + html_text(date(span.last)) + "</text>\n";
}

std::string panel_words(const SeriesView &series, bool fleet) {
  std::string words = plural(series.runs, "run", "runs") + ", level " + compare_output::rate_text(series.level);
  if (fleet && series.verdict != compare::Verdict::unjudged) {
    words += ", " + std::string(compare_output::verdict_word(series.verdict));
  }
  if (!series.changes.empty()) {
    const ChangeLine &change = series.changes.back();
    words += "; " + change_percent_text(change.percent) + " from " + date_of(change.started_at);
  }
  return words;
}

std::string panel(const SeriesView &series, const std::vector<StoredRun> &runs, const TimeSpan &span, bool fleet) {
  const std::vector<bool> left_out = left_out_of_trend(runs);
  const std::vector<double> xs = run_xs(runs, span);
  const compare_output::Axis axis = value_axis(runs, left_out);
  // Up the page is faster.
  const compare_output::Scale y(axis, plot_bottom, plot_top);
  return "<div class=\"multiple\"" + data_attribute("data-name", series.name) + ">\n<h3 class=\"name\">" +
         html_text(series.name) + "</h3>\n<p>" + html_text(panel_words(series, fleet)) +
         "</p>\n<svg class=\"panel\" viewBox=\"0 0 " + pixels(panel_width) + " " + pixels(panel_height) +
         "\" role=\"img\"" + data_attribute("aria-label", "the steady figures of " + series.name + " over time") +
         ">\n" + axis_marks(axis, y) + time_labels(span) + run_marks(series, runs, left_out, xs, y) +
         level_marks(series, xs, y) + "</svg>\n</div>\n";
}

// The runs of the series not drawn, per stratum and day: their least,
// greatest and mean steady figures. Bounded by the strata and the days, not
// the runs.
struct Band {
  std::map<long, std::array<double, 4>> days{}; // least, greatest, sum, count
  std::size_t series = 0;
};

void add_to_band(Band &band, const std::vector<StoredRun> &runs) {
  ++band.series;
  const std::vector<bool> left_out = left_out_of_trend(runs);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const StoredRun &run = runs[i];
    const auto day = day_number(run.started_at);
    if (!day || left_out[i]) {
      continue;
    }
    auto [at, added] = band.days.emplace(*day, std::array<double, 4>{run.steady, run.steady, 0.0, 0.0});
    std::array<double, 4> &figures = at->second;
    figures[0] = std::min(figures[0], run.steady);
    figures[1] = std::max(figures[1], run.steady);
    figures[2] += run.steady;
    figures[3] += 1.0;
  }
}

std::string band_panel(const std::string &stratum, const Band &band, const TimeSpan &span) {
  if (band.days.empty()) {
    return {};
  }
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();
  for (const auto &[day, figures] : band.days) {
    low = std::min(low, figures[0]);
    high = std::max(high, figures[1]);
  }
  const compare_output::Axis axis = compare_output::round_axis(low, high, 3);
  const compare_output::Scale y(axis, plot_bottom, plot_top);
  const double first_day = span.known ? std::floor(span.first / 86400.0) : static_cast<double>(band.days.begin()->first);
  const double last_day = std::max(first_day + 1.0, span.known ? std::floor(span.last / 86400.0)
                                                               : static_cast<double>(band.days.rbegin()->first));
  const auto x = [&](long day) {
    return plot_left + (static_cast<double>(day) - first_day) / (last_day - first_day) * (plot_right - plot_left);
  };
  std::string upper;
  std::string lower;
  std::string mean;
  for (const auto &[day, figures] : band.days) {
    upper += (upper.empty() ? "M" : " L") + pixels(x(day)) + " " + pixels(y.at(figures[1]));
    mean += (mean.empty() ? "M" : " L") + pixels(x(day)) + " " + pixels(y.at(figures[2] / figures[3]));
  }
  for (auto at = band.days.rbegin(); at != band.days.rend(); ++at) {
    lower += " L" + pixels(x(at->first)) + " " + pixels(y.at(at->second[0]));
  }
  const std::string words = plural(band.series, "series", "series") + " with no change that stand apart";
  return "<div class=\"multiple\"" + data_attribute("data-name", stratum) + ">\n<h3 class=\"name\">" +
         html_text(stratum) + "</h3>\n<p>" + html_text(words) + "</p>\n<svg class=\"panel\" viewBox=\"0 0 " +
         pixels(panel_width) + " " + pixels(panel_height) + "\" role=\"img\"" +
         data_attribute("aria-label", "the range and mean of " + words) + ">\n" + axis_marks(axis, y) +
         time_labels(span) +
         svg_mark("path", "band", "d=\"" + upper + lower + " Z\"",
                  {.kind = "band",
                   .name = stratum,
                   .value = std::to_string(band.series),
                   .title = stratum + ": the least and greatest steady figure of each day's runs of " + words}) +
         svg_mark("path", "band-mean", "d=\"" + mean + "\"",
                  {.kind = "band-mean",
                   .name = stratum,
                   .value = std::to_string(band.series),
                   .title = stratum + ": the mean steady figure of each day's runs of " + words}) +
         "</svg>\n</div>\n";
}

bool stands_out(const SeriesView &series) {
  return !series.changes.empty() || series.verdict == compare::Verdict::slow ||
         series.verdict == compare::Verdict::fast;
}

std::string trends_section(const HistoryView &view, const SeriesSource &source, const TimeSpan &span) {
  const bool whole = view.series.size() <= most_series_drawn_whole;
  std::string drawn;
  std::size_t panels = 0;
  std::map<std::string, Band> bands;
  for (const SeriesView &series : view.series) {
    const std::vector<StoredRun> runs = runs_of(source, series);
    if ((whole || stands_out(series)) && panels < most_panels) {
      drawn += panel(series, runs, span, view.settings.fleet);
      ++panels;
    } else {
      add_to_band(bands[series.stratum], runs);
    }
  }
  std::string section = "<section id=\"trends\">\n<h2>Trends</h2>\n";
  if (!whole) {
    section += "<p>" +
               html_text("Of " + plural(view.series.size(), "series", "series") + ", the " +
                         plural(panels, "one", "ones") +
                         " that changed or stand apart from their stratum are drawn; the rest are summarised below, "
                         "one band per stratum.") +
               "</p>\n";
  }
  section += "<div class=\"multiples\">\n" + drawn + "</div>\n";
  if (!bands.empty()) {
    section += "<h2>Strata</h2>\n<div class=\"multiples\">\n";
    for (const auto &[stratum, band] : bands) {
      section += band_panel(stratum, band, span);
    }
    section += "</div>\n";
  }
  return section + "</section>\n";
}

std::vector<std::string_view> row_classes(const HistoryView &view, const HistoryTables &tables) {
  std::vector<std::string_view> classes;
  if (!view.settings.fleet && tables.series.rows.size() == view.series.size()) {
    return classes;
  }
  // A fleet's table holds only the series that stand apart, in order.
  std::size_t row = 0;
  for (const SeriesView &series : view.series) {
    if (row < tables.series.rows.size() && tables.series.rows[row].front() == series.name) {
      classes.push_back(compare_output::verdict_style(series.verdict).css_class);
      ++row;
    }
  }
  return classes;
}

std::string tables_section(const HistoryView &view, const HistoryTables &tables) {
  std::string section = "<section id=\"tables\">\n<h2>Tables</h2>\n";
  section += std::string(tables.series.rows.size() > 100 ? "<details>" : "<details open>") + "<summary>" +
             html_text("Series: " + compare_output::count_text(tables.series.rows.size())) + "</summary>\n" +
             html_table(tables.series, row_classes(view, tables)) + "</details>\n";
  if (!tables.changes.empty()) {
    section += "<h3>" + html_text(view.settings.fleet ? "Recent changes of single hosts" : "Changes") + "</h3>\n" +
               compare_output::html_list(tables.changes, "changes-list");
  }
  if (!tables.stratum_changes.empty()) {
    section += "<h3>Changes of a whole stratum</h3>\n" + compare_output::html_list(tables.stratum_changes, "changes-list");
  }
  if (!tables.notes.empty()) {
    section += "<h3>Notes</h3>\n" + compare_output::html_list(tables.notes, "notes");
  }
  return section + "<h3>How to read the page</h3>\n" + compare_output::html_list(tables.legend, "notes") +
         "</section>\n";
}

std::string page_title(const HistoryView &view) {
  return "megawhets history: " + plural(view.series.size(), "series", "series") + ", " +
         plural(view.runs, "run", "runs");
}

} // namespace

std::string history_page(const HistoryView &view, const HistoryTables &tables, const SeriesSource &source) {
  const TimeSpan span = time_span(view);
  std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                     "<meta http-equiv=\"Content-Security-Policy\" content=\"" +
                     std::string(content_security_policy) +
                     "\">\n<meta name=\"referrer\" content=\"no-referrer\">\n"
                     "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
                     html_text(page_title(view)) + "</title>\n<style>" + std::string(compare_output::page_style()) +
                     std::string(history_style) + "</style>\n</head>\n<body>\n<header>\n<h1>" +
                     html_text(page_title(view)) + "</h1>\n<p class=\"summary\">" +
                     html_text("Each series' steady figures over time: a dot per run (hollow where the run was left "
                               "out of its trend), a bar at the level of each stretch between changes, and a dashed "
                               "line at each change, orange where slower and blue where faster.") +
                     "</p>\n</header>\n";
  page += trends_section(view, source, span) + tables_section(view, tables);
  if (view.settings.fleet) {
    page += "<p class=\"closing\">" + html_text("Changed recently or slow: " +
                                                (tables.flagged.empty() ? std::string("none") : tables.flagged)) +
            "</p>\n";
  }
  return page + "</body>\n</html>\n";
}

} // namespace history
