#include "compare_output/group_chart.h"

#include "compare_output/chart_scale.h"
#include "compare_output/html_text.h"
#include "compare_output/number_text.h"
#include "compare_output/svg_mark.h"
#include "compare_output/verdict_style.h"

#include <algorithm>
#include <cmath>

namespace compare_output {
namespace {

using compare::GroupResult;

constexpr double chart_width = 880.0;
constexpr double panel_title_baseline = 12.0;
constexpr double base_label_baseline = 28.0;
constexpr double top_room = 36.0;
constexpr double row_height = 30.0;
constexpr double bar_height = 16.0;
constexpr double axis_room = 48.0;
constexpr double bars_width = 190.0;
constexpr double panel_gap = 50.0;
constexpr double verdict_room = 130.0;
constexpr double character_width = 7.0; // of 12 px text, erring wide
constexpr std::size_t longest_name_shown = 32;
constexpr double golden_fraction = 0.6180339887498949;

// Two panels side by side, row for row: the bars from zero, where lengths
// compare as rates do; and beside them the same medians zoomed to the
// records' range, where differences of a few percent, the records' spread
// and the intervals can be seen at all.
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

// "+3.25 % faster": the change before the verdict, where there is one.
std::string verdict_words(const GroupResult &group) {
  const std::string word(verdict_word(group.verdict));
  const bool changed = !group.base && group.change_percent && std::isfinite(*group.change_percent);
  return changed ? percent_text(*group.change_percent) + " " + word : word;
}

std::string_view verdict_class(const GroupResult &group) { return verdict_style(group.verdict).css_class; }

std::string group_name(const GroupResult &group) { return group.name.empty() ? "all records" : group.name; }

double name_room(const std::vector<GroupResult> &groups) {
  std::size_t longest = 0;
  for (const GroupResult &group : groups) {
    longest = std::max(longest, std::min(character_count(group_name(group)), longest_name_shown));
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
  return spread.low_high_is_range ? "range " + ends + " (too few records for a 95 % interval)"
                                  : "95 % interval " + ends;
}

std::string bar_title(const GroupResult &group) {
  const std::size_t records = group.records.size();
  std::string title = group_name(group) + ": median steady rate " + rate_text(group.steady.median) +
                      " megaWhets/second of " + count_text(records) +
                      (records == 1 ? " record" : " records") + "; " + interval_words(group.steady) + "; " +
                      verdict_words(group);
  if (group.p_value && std::isfinite(*group.p_value)) {
    title += " (p = " + probability_text(*group.p_value) + ")";
  }
  return title;
}

std::string bar_mark(const GroupResult &group, const Scale &scale, double middle) {
  const double zero = scale.at(0.0);
  const double end = scale.at(group.steady.median);
  const std::string geometry = "x=\"" + pixels(zero) + "\" y=\"" + pixels(middle - bar_height / 2) +
                               "\" width=\"" + pixels(std::max(end - zero, 0.0)) + "\" height=\"" +
                               pixels(bar_height) + "\"";
  return svg_mark("rect", "bar " + std::string(verdict_class(group)), geometry,
                  {.kind = "bar",
                   .name = group.name,
                   .value = exact_number(group.steady.median),
                   .title = bar_title(group),
                   .attributes = data_attribute("data-base", group.base ? "yes" : "no")});
}

// The median again, in the zoomed panel: a short thick stroke across the row.
std::string median_mark(const GroupResult &group, const Scale &scale, double middle) {
  const std::string geometry = "x=\"" + pixels(scale.at(group.steady.median) - 1.5) + "\" y=\"" +
                               pixels(middle - 10.0) + "\" width=\"3\" height=\"20\"";
  return svg_mark("rect", "median " + std::string(verdict_class(group)), geometry,
                  {.kind = "median",
                   .name = group.name,
                   .value = exact_number(group.steady.median),
                   .title = bar_title(group)});
}

// A whisker from the interval's low end to its high end, with caps.
std::string interval_mark(const GroupResult &group, const Scale &scale, double middle) {
  const std::string low = pixels(scale.at(group.steady.low));
  const std::string high = pixels(scale.at(group.steady.high));
  const std::string cap_top = pixels(middle - 5), cap_bottom = pixels(middle + 5);
  const std::string path = "d=\"M" + low + " " + pixels(middle) + "H" + high + "M" + low + " " + cap_top +
                           "V" + cap_bottom + "M" + high + " " + cap_top + "V" + cap_bottom + "\"";
  return svg_mark("path", group.steady.low_high_is_range ? "interval range" : "interval", path,
                  {.kind = "interval",
                   .name = group.name,
                   .value = exact_number(group.steady.low) + " " + exact_number(group.steady.high),
                   .title = group_name(group) + ": " + interval_words(group.steady)});
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
    const std::string geometry = "cx=\"" + pixels(scale.at(record.steady)) + "\" cy=\"" +
                                 pixels(middle + offset) + "\" r=\"" + pixels(record.warned ? 3.2 : 3.0) +
                                 "\"";
    marks += svg_mark("circle", record.warned ? "record warned" : "record", geometry,
                      {.kind = "record",
                       .name = group.name,
                       .value = exact_number(record.steady),
                       .title = group_name(group) + ", " + record.source + ": steady rate " +
                                rate_text(record.steady) + " megaWhets/second" +
                                (record.warned ? ", with a warning" : ""),
                       .attributes = data_attribute("data-source", record.source)});
  }
  return marks;
}

std::string row_words(const GroupResult &group, const Layout &layout, double middle) {
  const std::string baseline = pixels(middle + 4);
  return "<text class=\"name" + std::string(group.base ? " base" : "") + "\" x=\"" +
         pixels(layout.names_right) + "\" y=\"" + baseline + "\" text-anchor=\"end\">" +
         shortened_html_text(group_name(group), longest_name_shown) + "</text>\n<text class=\"" +
         std::string(verdict_class(group)) + "\" x=\"" + pixels(layout.zoom_right + 12) + "\" y=\"" +
         baseline + "\">" + html_text(verdict_words(group)) + "</text>\n";
}

std::string base_line(const GroupResult &base, const Scale &zoom, const Layout &layout) {
  const std::string x = pixels(zoom.at(base.steady.median));
  return svg_mark("line", "base-line",
                  "x1=\"" + x + "\" x2=\"" + x + "\" y1=\"" + pixels(top_room - 4) + "\" y2=\"" +
                      pixels(layout.rows_bottom) + "\"",
                  {.kind = "base-line",
                   .name = base.name,
                   .value = exact_number(base.steady.median),
                   .title = "the base, " + group_name(base) + ": median " + rate_text(base.steady.median) +
                            " megaWhets/second"}) +
         "<text class=\"base small\" x=\"" + x + "\" y=\"" + pixels(base_label_baseline) +
         "\" text-anchor=\"middle\">base " + rate_text(base.steady.median) + "</text>\n";
}

// A panel's axis: its title above it, and a grid line and a label for each
// tick, each line with its figure in data-tick.
std::string axis_drawing(const Axis &axis, const Scale &scale, double left, std::string_view panel,
                         std::string_view title, double rows_bottom) {
  const double step = axis.ticks.size() > 1 ? axis.ticks[1] - axis.ticks[0] : 1.0;
  std::string drawing = "<g class=\"axis\" data-axis=\"" + std::string(panel) +
                        "\">\n<text class=\"small\" x=\"" + pixels(left) + "\" y=\"" +
                        pixels(panel_title_baseline) + "\">" + std::string(title) + "</text>\n";
  for (const double tick : axis.ticks) {
    const std::string x = pixels(scale.at(tick));
    drawing += "<line x1=\"" + x + "\" x2=\"" + x + "\" y1=\"" + pixels(top_room) + "\" y2=\"" +
               pixels(rows_bottom + 4) + "\"" + data_attribute("data-tick", exact_number(tick)) +
               "/><text class=\"small\" x=\"" + x + "\" y=\"" + pixels(rows_bottom + 18) +
               "\" text-anchor=\"middle\">" + tick_text(tick, step) + "</text>\n";
  }
  return drawing + "</g>\n";
}

std::string axis_caption(const Layout &layout) {
  return "<text class=\"small\" x=\"" + pixels((layout.bars_left + layout.zoom_right) / 2) + "\" y=\"" +
         pixels(layout.rows_bottom + 38) +
         "\" text-anchor=\"middle\">steady rate, megaWhets/second (pass 2\u2019s fastest group)</text>\n";
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
  const double height = layout.rows_bottom + axis_room;
  std::string chart =
      "<svg class=\"chart groups\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " +
      pixels(chart_width) + " " + pixels(height) + "\" width=\"" + pixels(chart_width) + "\" height=\"" +
      pixels(height) +
      "\" role=\"img\" aria-label=\"The median steady rate of each group, with its records and "
      "its interval\">\n";
  chart +=
      axis_drawing(layout.bars_axis, bars, layout.bars_left, "bars", "median, from zero", layout.rows_bottom);
  chart += axis_drawing(layout.zoom_axis, zoom, layout.zoom_left, "zoom",
                        "records, median and interval, zoomed", layout.rows_bottom);
  chart += axis_caption(layout);
  const auto base =
      std::find_if(groups.begin(), groups.end(), [](const GroupResult &group) { return group.base; });
  if (base != groups.end() && std::isfinite(base->steady.median)) {
    chart += base_line(*base, zoom, layout);
  }
  for (std::size_t row = 0; row < groups.size(); ++row) {
    const GroupResult &group = groups[row];
    const double middle = row_middle(row);
    chart += row_words(group, layout, middle);
    if (std::isfinite(group.steady.median)) {
      chart += bar_mark(group, bars, middle) + median_mark(group, zoom, middle);
    }
    if (std::isfinite(group.steady.low) && std::isfinite(group.steady.high)) {
      chart += interval_mark(group, zoom, middle);
    }
    chart += record_marks(group, zoom, middle);
  }
  return chart + "</svg>\n";
}

std::string group_chart_legend() {
  return "<ul class=\"legend\">\n<li>" +
         legend_swatch("<rect class=\"bar base\" x=\"0\" y=\"2\" width=\"16\" height=\"8\"/>") +
         "base: the group the others are measured against</li>\n<li>" +
         legend_swatch("<rect class=\"bar faster\" x=\"0\" y=\"2\" width=\"16\" height=\"8\"/>") +
         "faster than the base</li>\n<li>" +
         legend_swatch("<rect class=\"bar slower\" x=\"0\" y=\"2\" width=\"16\" height=\"8\"/>") +
         "slower than the base</li>\n<li>" +
         legend_swatch("<rect class=\"bar unclear\" x=\"0\" y=\"2\" width=\"16\" height=\"8\"/>") +
         "~ no significant change; n&lt;4 too few records to judge</li>\n<li>" +
         legend_swatch("<circle class=\"record\" cx=\"8\" cy=\"6\" r=\"3.5\"/>") + "a record</li>\n<li>" +
         legend_swatch("<circle class=\"record warned\" cx=\"8\" cy=\"6\" r=\"3.5\"/>") +
         "a record with a warning</li>\n<li>" +
         legend_swatch("<path class=\"interval\" d=\"M1 6H15M1 2V10M15 2V10\"/>") +
         "95 % interval of the median (dashed: the range, with too few records for an "
         "interval)</li>\n</ul>\n";
}

} // namespace compare_output
