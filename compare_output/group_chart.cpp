#include "compare_output/group_chart.h"

#include "compare_output/tables.h"
#include "output/chart_axis.h"
#include "output/chart_scale.h"
#include "output/html_text.h"
#include "output/number_text.h"
#include "output/svg_element.h"
#include "output/verdict_style.h"

#include <algorithm>
#include <cmath>

namespace compare_output {

using output::Axis;
using output::axis_drawing;
using output::character_count;
using output::chart_svg;
using output::chart_width;
using output::counted;
using output::disturbed_mark;
using output::exact_number;
using output::fixed_text;
using output::golden_fraction;
using output::html_text;
using output::legend_swatch;
using output::percent_text;
using output::probability_text;
using output::rate_text;
using output::round_axis;
using output::Scale;
using output::svg_mark;
using output::SvgElement;
using output::tick_text;
using output::verdict_style;
using output::verdict_word;

namespace {

using compare::GroupResult;

constexpr double panel_title_baseline = 12.0;
constexpr double base_label_baseline = 28.0;
constexpr double top_room = 36.0;
constexpr double row_height = 30.0;
constexpr double bar_height = 16.0;
constexpr double axis_room = 52.0;
constexpr double bars_width = 190.0;
constexpr double panel_gap = 60.0; // keeps the two axes' figures apart, each under its own frame
constexpr double verdict_room = 130.0;
constexpr double character_width = 7.0; // of 12 px text, erring wide
constexpr std::size_t longest_group_shown = 32;

// Two panels side by side, row for row, each in its own frame with its own
// axis: the bars from zero, where lengths compare as rates do; and beside
// them the same medians zoomed to the records' range, where differences of a
// few percent, the records' spread and the intervals can be seen at all.
struct Layout {
  double names_right = 0.0;
  double bars_left = 0.0; // where zero is
  double bars_right = 0.0;
  double zoom_left = 0.0;
  double zoom_right = 0.0;
  double rows_bottom = 0.0;
  Axis bars_axis{};
  Axis zoom_axis{};
};

std::string group_name(const GroupResult &group) { return group.name.empty() ? "all records" : group.name; }

// "+3.25 % faster": the change before the verdict, where there is one.
std::string verdict_words(const GroupResult &group) {
  const std::string word = std::string(verdict_word(group.verdict)) +
                           std::string(group.rests_on_disturbed_runs ? disturbed_mark : std::string_view{});
  const bool changed = !group.base && group.shift_percent && std::isfinite(*group.shift_percent);
  return changed ? percent_text(*group.shift_percent) + " " + word : word;
}

std::string_view verdict_class(const GroupResult &group) { return verdict_style(group.verdict).css_class; }

double name_room(const std::vector<GroupResult> &groups) {
  std::size_t longest = 0;
  for (const GroupResult &group : groups) {
    longest = std::max(longest, std::min(character_count(group_name(group)), longest_group_shown));
  }
  return std::clamp(static_cast<double>(longest) * character_width + 16.0, 90.0, 240.0);
}

// Every figure the chart draws, to size its axes.
std::vector<double> drawn_figures(const std::vector<GroupResult> &groups) {
  std::vector<double> figures;
  for (const GroupResult &group : groups) {
    figures.insert(figures.end(), {group.steady.median, group.steady.low, group.steady.high});
    for (const compare::RecordPoint &record : group.records) {
      figures.push_back(record.steady);
    }
  }
  std::erase_if(figures, [](double figure) { return !std::isfinite(figure); });
  return figures;
}

Layout layout_of(const std::vector<GroupResult> &groups) {
  Layout layout{.names_right = name_room(groups)};
  layout.bars_left = layout.names_right + 8.0;
  layout.bars_right = layout.bars_left + bars_width;
  layout.zoom_left = layout.bars_right + panel_gap;
  layout.zoom_right = chart_width - verdict_room;
  layout.rows_bottom = top_room + static_cast<double>(groups.size()) * row_height;
  const std::vector<double> figures = drawn_figures(groups);
  if (figures.empty()) {
    return layout;
  }
  const auto [lowest, highest] = std::minmax_element(figures.begin(), figures.end());
  layout.bars_axis = round_axis(0.0, std::max(*highest, 0.0), 3);
  const double margin = (*highest - *lowest) * 0.05;
  layout.zoom_axis = round_axis(*lowest - margin, *highest + margin, 5);
  return layout;
}

double row_middle(std::size_t row) { return top_room + (static_cast<double>(row) + 0.5) * row_height; }

std::string interval_words(const compare::Spread &spread) {
  const std::string ends = rate_text(spread.low) + " to " + rate_text(spread.high);
  const std::string interval = fixed_text(compare::interval_confidence * 100.0, 0) + " % interval";
  return spread.low_high_is_range ? "range " + ends + " (too few records for a " + interval + ")"
                                  : interval + " " + ends;
}

std::string bar_title(const GroupResult &group) {
  std::string title = group_name(group) + ": median steady rate " + rate_text(group.steady.median) +
                      " megaWhets/second of " + counted(group.records.size(), "record", "records") + "; " +
                      interval_words(group.steady) + "; " + verdict_words(group);
  if (group.p_value && std::isfinite(*group.p_value)) {
    title += " (p = " + probability_text(*group.p_value) + ")";
  }
  if (group.shift_low_percent && group.shift_high_percent) {
    title += "; the change's interval " + percent_text(*group.shift_low_percent) + " to " +
             percent_text(*group.shift_high_percent);
  }
  return title;
}

SvgElement bar_mark(const GroupResult &group, const Scale &scale, double middle) {
  const double zero = scale.at(0.0);
  SvgElement bar = svg_mark("rect", "bar " + std::string(verdict_class(group)),
                            {.kind = "bar",
                             .name = group.name,
                             .value = exact_number(group.steady.median),
                             .title = bar_title(group)});
  return bar.attribute("x", zero)
      .attribute("y", middle - bar_height / 2)
      .attribute("width", std::max(scale.at(group.steady.median) - zero, 0.0))
      .attribute("height", bar_height)
      .attribute("data-base", group.base ? "yes" : "no");
}

// The median again, in the zoomed panel: a short thick stroke across the row.
SvgElement median_mark(const GroupResult &group, const Scale &scale, double middle) {
  SvgElement median = svg_mark("rect", "median " + std::string(verdict_class(group)),
                               {.kind = "median",
                                .name = group.name,
                                .value = exact_number(group.steady.median),
                                .title = bar_title(group)});
  return median.attribute("x", scale.at(group.steady.median) - 1.5)
      .attribute("y", middle - 10.0)
      .attribute("width", 3.0)
      .attribute("height", 20.0);
}

// A whisker from the interval's low end to its high end, with caps.
SvgElement interval_mark(const GroupResult &group, const Scale &scale, double middle) {
  const std::string low = fixed_text(scale.at(group.steady.low), 2);
  const std::string high = fixed_text(scale.at(group.steady.high), 2);
  const std::string cap_top = fixed_text(middle - 5, 2), cap_bottom = fixed_text(middle + 5, 2);
  SvgElement interval =
      svg_mark("path", group.steady.low_high_is_range ? "interval range" : "interval",
               {.kind = "interval",
                .name = group.name,
                .value = exact_number(group.steady.low) + " " + exact_number(group.steady.high),
                .title = group_name(group) + ": " + interval_words(group.steady)});
  return interval.attribute("d", "M" + low + " " + fixed_text(middle, 2) + "H" + high + "M" + low + " " +
                                     cap_top + "V" + cap_bottom + "M" + high + " " + cap_top + "V" +
                                     cap_bottom);
}

// The records' dots, spread a little up and down so that equal figures
// stay apart; the spread follows the golden ratio, so it is the same on
// every drawing of the same records.
std::string record_marks(const GroupResult &group, const Scale &scale, double middle) {
  std::string marks;
  for (std::size_t k = 0; k < group.records.size(); ++k) {
    const compare::RecordPoint &record = group.records[k];
    if (!std::isfinite(record.steady)) {
      continue;
    }
    const double offset = (std::fmod(static_cast<double>(k) * golden_fraction, 1.0) - 0.5) * 12.0;
    marks += svg_mark("circle", record.warned ? "record warned" : "record",
                      {.kind = "record",
                       .name = group.name,
                       .value = exact_number(record.steady),
                       .title = group_name(group) + ", " + record.source + ": steady rate " +
                                rate_text(record.steady) + " megaWhets/second" +
                                (record.warned ? ", with a warning" : "")})
                 .attribute("cx", scale.at(record.steady))
                 .attribute("cy", middle + offset)
                 .attribute("r", record.warned ? 3.2 : 3.0)
                 .attribute("data-source", record.source)
                 .str();
  }
  return marks;
}

std::string row_words(const GroupResult &group, const Layout &layout, double middle) {
  return SvgElement("text")
             .css_class(group.base ? "name base" : "name")
             .attribute("x", layout.names_right)
             .attribute("y", middle + 4)
             .attribute("text-anchor", "end")
             .text(group_name(group), longest_group_shown)
             .str() +
         SvgElement("text")
             .css_class(verdict_class(group))
             .attribute("x", layout.zoom_right + 12)
             .attribute("y", middle + 4)
             .text(verdict_words(group))
             .str();
}

std::string base_line(const GroupResult &base, const Scale &zoom, const Layout &layout) {
  const double x = zoom.at(base.steady.median);
  return svg_mark("line", "base-line",
                  {.kind = "base-line",
                   .name = base.name,
                   .value = exact_number(base.steady.median),
                   .title = "the base, " + group_name(base) + ": median " + rate_text(base.steady.median) +
                            " megaWhets/second"})
             .attribute("x1", x)
             .attribute("x2", x)
             .attribute("y1", top_room - 4)
             .attribute("y2", layout.rows_bottom)
             .str() +
         SvgElement("text")
             .css_class("base small")
             .attribute("x", x)
             .attribute("y", base_label_baseline)
             .attribute("text-anchor", "middle")
             .text("base " + rate_text(base.steady.median))
             .str();
}

// A panel: its title above it, its frame, and its axis under the frame with
// a caption that says what the axis measures, so that the two panels' axes
// read as two.
std::string panel(const Axis &axis, const Scale &scale, double left, double right, std::string_view name,
                  std::string_view title, const std::string &caption, double rows_bottom) {
  return SvgElement("text")
             .css_class("small panel-title")
             .attribute("x", left)
             .attribute("y", panel_title_baseline)
             .text(title)
             .str() +
         SvgElement("rect")
             .css_class("panel-frame")
             .attribute("data-panel", name)
             .attribute("x", left)
             .attribute("y", top_room - 4)
             .attribute("width", right - left)
             .attribute("height", rows_bottom + 8 - top_room)
             .str() +
         axis_drawing(axis, scale,
                      {.left = left,
                       .right = right,
                       .grid_top = top_room - 4,
                       .grid_bottom = rows_bottom + 4,
                       .labels_baseline = rows_bottom + 20,
                       .name = name})
             .str() +
         SvgElement("text")
             .css_class("small axis-caption")
             .attribute("data-panel", name)
             .attribute("x", (left + right) / 2)
             .attribute("y", rows_bottom + 38)
             .attribute("text-anchor", "middle")
             .text(caption)
             .str();
}

} // namespace

std::string group_chart(const compare::Comparison &comparison) {
  const std::vector<GroupResult> &groups = comparison.groups;
  if (groups.empty() || groups.size() > most_groups_charted) {
    return {};
  }
  const Layout layout = layout_of(groups);
  const Scale bars(layout.bars_axis, layout.bars_left, layout.bars_right);
  const Scale zoom(layout.zoom_axis, layout.zoom_left, layout.zoom_right);
  const std::vector<double> &ticks = layout.zoom_axis.ticks;
  const double zoom_step = ticks.size() > 1 ? ticks[1] - ticks[0] : 1.0;
  std::string drawing = panel(layout.bars_axis, bars, layout.bars_left, layout.bars_right, "bars",
                              "median, from zero", "megaWhets/second, from 0", layout.rows_bottom) +
                        panel(layout.zoom_axis, zoom, layout.zoom_left, layout.zoom_right, "zoom",
                              "records, median and interval, zoomed",
                              "zoomed: " + tick_text(layout.zoom_axis.low, zoom_step) + " to " +
                                  tick_text(layout.zoom_axis.high, zoom_step) + " megaWhets/second",
                              layout.rows_bottom);
  const auto base =
      std::find_if(groups.begin(), groups.end(), [](const GroupResult &group) { return group.base; });
  if (base != groups.end() && std::isfinite(base->steady.median)) {
    drawing += base_line(*base, zoom, layout);
  }
  for (std::size_t row = 0; row < groups.size(); ++row) {
    const GroupResult &group = groups[row];
    const double middle = row_middle(row);
    drawing += row_words(group, layout, middle);
    if (std::isfinite(group.steady.median)) {
      drawing += bar_mark(group, bars, middle).str() + median_mark(group, zoom, middle).str();
    }
    if (std::isfinite(group.steady.low) && std::isfinite(group.steady.high)) {
      drawing += interval_mark(group, zoom, middle).str();
    }
    drawing += record_marks(group, zoom, middle);
  }
  return chart_svg("chart groups", layout.rows_bottom + axis_room,
                   "The median steady rate of each group, with its records and its interval")
      .children(drawing)
      .str();
}

std::string group_chart_legend(bool fleet) {
  const auto bar = [](std::string_view css_class) {
    return legend_swatch(SvgElement("rect")
                             .css_class("bar " + std::string(css_class))
                             .attribute("x", 0.0)
                             .attribute("y", 2.0)
                             .attribute("width", 16.0)
                             .attribute("height", 8.0));
  };
  const auto dot = [](std::string_view css_class) {
    return legend_swatch(
        SvgElement("circle").css_class(css_class).attribute("cx", 8.0).attribute("cy", 6.0).attribute("r",
                                                                                                      3.5));
  };
  const std::string verdicts =
      fleet
          ? bar("ok") + "a host that is ok against its stratum</li>\n<li>" + bar("slow") +
                "slow against its stratum</li>\n<li>" + bar("fast") + "fast against its stratum</li>\n<li>" +
                bar("unjudged") + "unjudged: too few hosts in its stratum, or not a host</li>\n<li>"
          : bar("base") + "base: the group the others are measured against</li>\n<li>" + bar("faster") +
                "faster than the base</li>\n<li>" + bar("slower") + "slower than the base</li>\n<li>" +
                bar("unclear") + "~ no significant change; " +
                html_text(verdict_word(compare::Verdict::too_few)) + " too few records to judge</li>\n<li>";
  return "<ul class=\"legend\">\n<li>" + verdicts + dot("record") + "a record</li>\n<li>" +
         dot("record warned") + "a record with a warning</li>\n<li>" +
         legend_swatch(SvgElement("path").css_class("interval").attribute("d", "M1 6H15M1 2V10M15 2V10")) +
         fixed_text(compare::interval_confidence * 100.0, 0) +
         " % interval of the median (dashed: the range, with too few records for an interval)</li>\n</ul>\n";
}

} // namespace compare_output
