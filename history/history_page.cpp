#include "history/history_page.h"

#include "history/change_text.h"
#include "history/run_time.h"
#include "output/chart_scale.h"
#include "output/html_tables.h"
#include "output/html_text.h"
#include "output/number_text.h"
#include "output/page_frame.h"
#include "output/svg_element.h"
#include "output/verdict_style.h"
#include "text/formatted.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>

namespace history {

using output::Axis;
using output::count_text;
using output::exact_number;
using output::fixed_text;
using output::html_list;
using output::html_table;
using output::html_text;
using output::page_frame;
using output::rate_text;
using output::round_axis;
using output::Scale;
using output::svg_mark;
using output::SvgElement;
using output::tick_text;
using output::verdict_word;

namespace {

// ` name="value"`, the value escaped: for the page's HTML around the charts.
std::string data_attribute(std::string_view name, std::string_view value) {
  return " " + std::string(name) + "=\"" + html_text(value) + "\"";
}

// A coordinate in a path, to a hundredth of a pixel.
std::string pixels(double value) { return fixed_text(value, 2); }

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
svg .run.off-scale { stroke: var(--orange); stroke-dasharray: 1.5 1; }
.multiple.flagged { outline: 2px solid var(--orange); outline-offset: 2px; }
.multiple.flagged h3::before { content: "\26A0\FE0E  "; color: var(--orange); }
.date { white-space: nowrap; }
#tables td, #answer td { white-space: nowrap; }
svg .level { stroke: var(--ink); stroke-width: 2; }
svg .change { stroke-width: 1.5; stroke-dasharray: 4 2; }
svg .change.slower { stroke: var(--orange); }
svg .change.faster { stroke: var(--blue); }
svg .band { fill: var(--grey); fill-opacity: 0.6; stroke: none; }
svg .band-mean { fill: none; stroke: var(--slate); stroke-width: 1.2; }
.changes-list { font-size: 0.9rem; }
)css";

std::string plural(std::size_t count, std::string_view one, std::string_view many) {
  return count_text(count) + " " + std::string(count == 1 ? one : many);
}

// The page's time axis: every panel spans the same times, so that a change
// the whole fleet made stands at one place in every panel.
struct TimeSpan {
  double first = 0.0;
  double last = 1.0;
  bool known = false; // every series' first and last runs give a time
};

TimeSpan time_span(const HistoryView &view) {
  TimeSpan span{.first = std::numeric_limits<double>::infinity(),
                .last = -std::numeric_limits<double>::infinity(),
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
    xs.push_back(seconds ? plot_left +
                               (*seconds - span.first) / (span.last - span.first) * (plot_right - plot_left)
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

Axis value_axis(const std::vector<StoredRun> &runs, const std::vector<bool> &left_out) {
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
  return round_axis(low, high, 3);
}

// A panel's axis runs up its left side: compare's charts' axes
// (chart_axis.h) run across, with room for their figures that a panel
// 300 pixels wide has not.
std::string axis_marks(const Axis &axis, const Scale &y) {
  const double step = axis.ticks.size() > 1 ? axis.ticks[1] - axis.ticks[0] : 1.0;
  SvgElement group("g");
  group.css_class("axis");
  for (const double tick : axis.ticks) {
    const double at = y.at(tick);
    group.child(SvgElement("line")
                    .attribute("x1", plot_left)
                    .attribute("x2", plot_right)
                    .attribute("y1", at)
                    .attribute("y2", at)
                    .attribute("data-tick", exact_number(tick)));
    group.child(SvgElement("text")
                    .css_class("small")
                    .attribute("x", plot_left - 4.0)
                    .attribute("y", at + 4.0)
                    .attribute("text-anchor", "end")
                    .text(tick_text(tick, step)));
  }
  return group.str();
}

// Within the plot, however far a left-out run fell.
double clamped(double y) { return std::clamp(y, plot_top, plot_bottom); }

std::string run_marks(const SeriesView &series, const std::vector<StoredRun> &runs,
                      const std::vector<bool> &left_out, const std::vector<double> &xs, const Scale &y) {
  std::string path;
  std::string dots;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const StoredRun &run = runs[i];
    const double at = y.at(run.steady);
    if (!left_out[i]) {
      path += (path.empty() ? "M" : " L") + pixels(xs[i]) + " " + pixels(at);
    }
    std::string title = series.name + ": run " + std::to_string(i + 1) + " of " +
                        std::to_string(runs.size()) + ", " + run.started_at + ": " + rate_text(run.steady) +
                        " megaWhets/s";
    if (left_out[i]) {
      title += run.self_check_passed ? "; left out of the trend: " + std::to_string(run.warnings) +
                                           (run.warnings == 1 ? " warning" : " warnings")
                                     : "; left out of the trend: its self-check failed";
    }
    // A left-out run beyond the counted runs' scale lies on the plot's
    // edge, marked so, rather than drawn at a figure it does not have.
    const bool off_scale = at != clamped(at);
    if (off_scale) {
      title += "; off the chart's scale, drawn on its edge";
    }
    SvgElement dot =
        svg_mark("circle",
                 off_scale     ? "run left-out off-scale"
                 : left_out[i] ? "run left-out"
                               : "run",
                 {.kind = "run", .name = series.name, .value = exact_number(run.steady), .title = title});
    dot.attribute("cx", xs[i])
        .attribute("cy", clamped(at))
        .attribute("r", 2.0)
        .attribute("data-run", std::to_string(i + 1));
    if (left_out[i]) {
      dot.attribute("data-left-out", "true");
    }
    if (off_scale) {
      dot.attribute("data-off-scale", at > plot_bottom ? "below" : "above");
    }
    dots += dot.str();
  }
  return (path.empty() ? std::string() : SvgElement("path").css_class("trend").attribute("d", path).str()) +
         dots;
}

std::string level_marks(const SeriesView &series, const std::vector<double> &xs, const Scale &y) {
  std::string marks;
  for (const Segment &segment : series.segments) {
    const double at = y.at(segment.median);
    marks +=
        svg_mark("line", "level",
                 {.kind = "level",
                  .name = series.name,
                  .value = exact_number(segment.median),
                  .title = series.name + ": level " + rate_text(segment.median) + " megaWhets/s, runs " +
                           std::to_string(segment.first + 1) + " to " + std::to_string(segment.last + 1)})
            .attribute("x1", xs[segment.first])
            .attribute("x2", xs[segment.last])
            .attribute("y1", at)
            .attribute("y2", at)
            .attribute("data-first-run", std::to_string(segment.first + 1))
            .attribute("data-last-run", std::to_string(segment.last + 1))
            .str();
  }
  for (const ChangeLine &change : series.changes) {
    const double x = xs[change.run - 1];
    marks += svg_mark("line", change.percent < 0.0 ? "change slower" : "change faster",
                      {.kind = "change",
                       .name = series.name,
                       .value = exact_number(change.percent),
                       .title = change_line(change)})
                 .attribute("x1", x)
                 .attribute("x2", x)
                 .attribute("y1", plot_top)
                 .attribute("y2", plot_bottom)
                 .attribute("data-run", std::to_string(change.run))
                 .str();
  }
  return marks;
}

std::string time_labels(const TimeSpan &span) {
  if (!span.known) {
    return {};
  }
  // Runs of one or two days are told apart by their times as well.
  const bool short_span = span.last - span.first < 2.0 * 86400.0;
  const auto date = [short_span](double seconds) {
    const double day = std::floor(seconds / 86400.0);
    std::string text = date_text(static_cast<long>(day));
    if (short_span) {
      const auto minutes = static_cast<long>(std::floor((seconds - day * 86400.0) / 60.0));
      text += text::formatted(" %02ld:%02ld", minutes / 60, minutes % 60);
    }
    return text;
  };
  return SvgElement("text")
             .css_class("small")
             .attribute("x", plot_left)
             .attribute("y", plot_bottom + 14.0)
             .text(date(span.first))
             .str() +
         SvgElement("text")
             .css_class("small")
             .attribute("x", plot_right)
             .attribute("y", plot_bottom + 14.0)
             .attribute("text-anchor", "end")
             .text(date(span.last))
             .str();
}

// A date that a line never breaks at its hyphens.
std::string date_html(std::string_view date) { return "<span class=\"date\">" + html_text(date) + "</span>"; }

// One small chart with its name and words (HTML) above it; a flagged one
// is outlined and marked.
std::string multiple(const std::string &name, const std::string &words, const std::string &label,
                     const std::string &marks, bool flagged = false) {
  SvgElement svg("svg");
  svg.css_class("panel")
      .attribute("viewBox", "0 0 " + pixels(panel_width) + " " + pixels(panel_height))
      .attribute("role", "img")
      .attribute("aria-label", label)
      .children(marks);
  return std::string("<div class=\"multiple") + (flagged ? " flagged\" data-flagged=\"true\"" : "\"") +
         data_attribute("data-name", name) + ">\n<h3 class=\"name\">" + html_text(name) + "</h3>\n<p>" +
         words + "</p>\n" + svg.str() + "</div>\n";
}

std::string panel_words(const SeriesView &series, bool fleet, std::size_t off_scale) {
  std::string words = plural(series.runs, "run", "runs") + ", level " + rate_text(series.level);
  if (fleet && series.verdict != compare::Verdict::unjudged) {
    words += ", " + std::string(verdict_word(series.verdict));
  }
  std::string html = html_text(words);
  if (!series.changes.empty()) {
    const ChangeLine &change = series.changes.back();
    html += html_text("; " + change_percent_text(change.percent) + " from ") +
            date_html(date_of(change.started_at));
  }
  if (off_scale > 0) {
    html +=
        html_text("; " + plural(off_scale, "left-out run", "left-out runs") + " off the scale, on its edge");
  }
  return html;
}

std::string panel(const SeriesView &series, const std::vector<StoredRun> &runs, const TimeSpan &span,
                  bool fleet) {
  const std::vector<bool> left_out = left_out_of_trend(runs);
  const std::vector<double> xs = run_xs(runs, span);
  const Axis axis = value_axis(runs, left_out);
  // Up the page is faster.
  const Scale y(axis, plot_bottom, plot_top);
  std::size_t off_scale = 0;
  for (const StoredRun &run : runs) {
    off_scale += y.at(run.steady) != clamped(y.at(run.steady)) ? 1 : 0;
  }
  return multiple(series.name, panel_words(series, fleet, off_scale),
                  "the steady figures of " + series.name + " over time",
                  axis_marks(axis, y) + time_labels(span) + run_marks(series, runs, left_out, xs, y) +
                      level_marks(series, xs, y),
                  fleet && is_flagged(series));
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
  const Axis axis = round_axis(low, high, 3);
  const Scale y(axis, plot_bottom, plot_top);
  const double first_day =
      span.known ? std::floor(span.first / 86400.0) : static_cast<double>(band.days.begin()->first);
  const double last_day =
      std::max(first_day + 1.0,
               span.known ? std::floor(span.last / 86400.0) : static_cast<double>(band.days.rbegin()->first));
  const auto x = [&](long day) {
    return plot_left +
           (static_cast<double>(day) - first_day) / (last_day - first_day) * (plot_right - plot_left);
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
  return multiple(
      stratum, html_text(words), "the range and mean of " + words,
      axis_marks(axis, y) + time_labels(span) +
          svg_mark(
              "path", "band",
              {.kind = "band",
               .name = stratum,
               .value = std::to_string(band.series),
               .title = stratum + ": the least and greatest steady figure of each day's runs of " + words})
              .attribute("d", upper + lower + " Z")
              .str() +
          svg_mark("path", "band-mean",
                   {.kind = "band-mean",
                    .name = stratum,
                    .value = std::to_string(band.series),
                    .title = stratum + ": the mean steady figure of each day's runs of " + words})
              .attribute("d", mean)
              .str());
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
  // A fleet's page leads with what needs a look, then the rest in order.
  std::vector<const SeriesView *> order;
  for (const bool first : {true, false}) {
    for (const SeriesView &series : view.series) {
      if (!view.settings.fleet ? first : is_flagged(series) == first) {
        order.push_back(&series);
      }
    }
  }
  for (const SeriesView *series : order) {
    const std::vector<StoredRun> runs = runs_of(source, *series);
    if ((whole || stands_out(*series)) && panels < most_panels) {
      drawn += panel(*series, runs, span, view.settings.fleet);
      ++panels;
    } else {
      add_to_band(bands[series->stratum], runs);
    }
  }
  std::string section = "<section id=\"trends\">\n<h2>Trends</h2>\n";
  if (!whole) {
    section +=
        "<p>" +
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

// A fleet's table holds only the series that need a look: the page's
// answer, at its head.
std::string fleet_answer(const HistoryTables &tables) {
  if (tables.series.rows.empty()) {
    return {};
  }
  return "<div id=\"answer\">" + html_table(tables.series) + "</div>\n";
}

std::string tables_section(const HistoryView &view, const HistoryTables &tables) {
  std::string section = "<section id=\"tables\">\n<h2>Tables</h2>\n";
  if (!view.settings.fleet) {
    section += std::string(tables.series.rows.size() > 100 ? "<details>" : "<details open>") + "<summary>" +
               html_text("Series: " + count_text(tables.series.rows.size())) + "</summary>\n" +
               html_table(tables.series) + "</details>\n";
  }
  if (!tables.changes.empty()) {
    section += "<h3>" + html_text(view.settings.fleet ? "Recent changes of single hosts" : "Changes") +
               "</h3>\n" + html_list(tables.changes, "changes-list");
  }
  if (!tables.stratum_changes.empty()) {
    section += "<h3>Changes of a whole stratum</h3>\n" + html_list(tables.stratum_changes, "changes-list");
  }
  if (!tables.notes.empty()) {
    section += "<h3>Notes</h3>\n" + html_list(tables.notes, "notes");
  }
  return section + "<h3>How to read the page</h3>\n" + html_list(tables.legend, "notes") + "</section>\n";
}

std::string page_title(const HistoryView &view) {
  return "megawhets history: " + plural(view.series.size(), "series", "series") + ", " +
         plural(view.runs, "run", "runs");
}

} // namespace

std::string history_page(const HistoryView &view, const HistoryTables &tables, const SeriesSource &source) {
  const TimeSpan span = time_span(view);
  std::string body =
      "<header>\n<h1>" + html_text(page_title(view)) + "</h1>\n<p class=\"summary\">" +
      html_text("Each series' steady figures over time: a dot per run (hollow where the run was left "
                "out of its trend), a bar at the level of each stretch between changes, and a dashed "
                "line at each change, orange where slower and blue where faster.") +
      "</p>\n";
  // The answer a fleet's page is opened for comes first: which hosts need
  // a look; their charts lead the trends, outlined.
  if (view.settings.fleet) {
    body += "<p class=\"closing\">" +
            html_text("Changed recently or slow: " +
                      (tables.flagged.empty() ? std::string("none") : tables.flagged)) +
            "</p>\n" + fleet_answer(tables);
  }
  body += "</header>\n" + trends_section(view, source, span) + tables_section(view, tables);
  return page_frame(page_title(view), body, history_style);
}

} // namespace history
