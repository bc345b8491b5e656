#include "ab/page_charts.h"

#include "ab/judged_figure.h"
#include "ab/summary_text.h"
#include "ab/verdict_words.h"
#include "output/chart_axis.h"
#include "output/chart_scale.h"
#include "output/number_text.h"
#include "output/svg_element.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace ab {
namespace {

using output::Axis;
using output::exact_number;
using output::MarkFacts;
using output::Scale;
using output::SvgElement;

constexpr double chart_height = 320.0;
constexpr double plot_left = 76.0; // room for the figures of the vertical axis
// Right of the plot, the unpaired interval's outline and its name, which the
// chart's edge would otherwise clip.
constexpr double plot_right = 796.0;
constexpr double plot_top = 16.0;
constexpr double plot_bottom = 262.0;
constexpr double axis_baseline = 280.0;
constexpr double caption_baseline = 308.0;
constexpr double end_label_left = plot_right + 8.0;
constexpr double dot_radius = 3.0;

const char *const program_classes[] = {"program-a", "program-b"};

// The horizontal grid of a vertical axis, each line with its figure in
// data-tick, the figures to the left of the plot.
SvgElement vertical_axis(const Axis &axis, const Scale &scale) {
  const double step = axis.ticks.size() > 1 ? axis.ticks[1] - axis.ticks[0] : 1.0;
  SvgElement drawing("g");
  drawing.css_class("axis").attribute("data-axis", "vertical");
  for (const double tick : axis.ticks) {
    const double y = scale.at(tick);
    SvgElement line("line");
    line.attribute("x1", plot_left).attribute("x2", plot_right).attribute("y1", y).attribute("y2", y);
    line.attribute("data-tick", exact_number(tick));
    SvgElement label("text");
    label.attribute("x", plot_left - 6.0).attribute("y", y + 4.0).attribute("text-anchor", "end");
    label.text(output::tick_text(tick, step));
    drawing.child(line).child(label);
  }
  return drawing;
}

SvgElement horizontal_axis(const Axis &axis, const Scale &scale) {
  return output::axis_drawing(axis, scale,
                              {.left = plot_left,
                               .right = plot_right,
                               .grid_top = plot_top,
                               .grid_bottom = plot_bottom,
                               .labels_baseline = axis_baseline,
                               .name = "horizontal"});
}

SvgElement caption(double x, double y, std::string_view text, std::string_view anchor = "middle") {
  SvgElement written("text");
  written.css_class("axis-caption").attribute("x", x).attribute("y", y).attribute("text-anchor", anchor);
  written.text(text);
  return written;
}

// The vertical axis's caption, turned to run up its side.
SvgElement side_caption(std::string_view text) {
  SvgElement written = caption(0.0, 0.0, text);
  written.attribute("transform",
                    "translate(14 " + output::fixed_text((plot_top + plot_bottom) / 2, 2) + ") rotate(-90)");
  return written;
}

// A chart with nothing to draw says so.
std::string empty_chart(std::string_view css_class, std::string_view label) {
  SvgElement svg = output::chart_svg(css_class, 60.0, label);
  svg.child(caption(output::chart_width / 2, 34.0, "No round finished."));
  return svg.str();
}

std::vector<const Slice *> judged_slices(const PairedComparison &comparison) {
  std::vector<const Slice *> slices;
  for (const Round &round : comparison.rounds) {
    slices.push_back(&comparison.slices[round.a_slice]);
    slices.push_back(&comparison.slices[round.b_slice]);
  }
  return slices;
}

Axis axis_holding(const std::vector<double> &figures) {
  const auto [least, most] = std::minmax_element(figures.begin(), figures.end());
  return output::round_axis(*least, *most);
}

// Two labels' heights, moved apart evenly to a line's height where they
// are closer.
std::pair<double, double> apart(double first, double second) {
  constexpr double line_height = 13.0;
  const double gap = std::fabs(first - second);
  if (gap >= line_height) {
    return {first, second};
  }
  const double push = (line_height - gap) / 2.0;
  return first <= second ? std::pair{first - push, second + push} : std::pair{first + push, second - push};
}

// The rounds' changes an axis is scaled to: all but those far out (beyond
// three interquartile ranges of the quartiles), which would squeeze the
// answer's band to a sliver; they are drawn at the plot's edge, as off it.
std::pair<double, double> bulk_of(std::vector<double> changes) {
  std::sort(changes.begin(), changes.end());
  const auto quantile = [&](double q) {
    const double at = q * static_cast<double>(changes.size() - 1);
    const auto below = static_cast<std::size_t>(std::floor(at));
    const std::size_t above = std::min(below + 1, changes.size() - 1);
    return changes[below] + (changes[above] - changes[below]) * (at - static_cast<double>(below));
  };
  const double low = quantile(0.25);
  const double high = quantile(0.75);
  const double reach = 3.0 * (high - low);
  return {low - reach, high + reach};
}

std::vector<double> round_changes(const PairedComparison &comparison) {
  std::vector<double> changes;
  for (const Round &round : comparison.rounds) {
    changes.push_back(std::expm1(round.log_ratio) * 100.0);
  }
  return changes;
}

// The ratios chart's axis: the bulk of the rounds, the answer, the
// threshold and the unpaired interval.
Axis changes_axis(const PairedComparison &comparison, const std::vector<double> &changes) {
  const auto [lowest_kept, highest_kept] = bulk_of(changes);
  std::vector<double> drawn;
  for (const double change : changes) {
    if (change >= lowest_kept && change <= highest_kept) {
      drawn.push_back(change);
    }
  }
  const Answer &answer = comparison.answer;
  const UnpairedView &unpaired = comparison.unpaired;
  const double threshold = comparison.settings.threshold_percent;
  for (const double figure : {answer.low_percent, answer.high_percent, answer.change_percent, 0.0, threshold,
                              -threshold, unpaired.shift_low_percent, unpaired.shift_high_percent}) {
    if (std::isfinite(figure)) {
      drawn.push_back(figure);
    }
  }
  return axis_holding(drawn);
}

bool off_scale(double change, const Axis &axis) {
  return change < axis.ticks.front() || change > axis.ticks.back();
}

std::string seconds_text(double seconds) { return output::fixed_text(seconds, 1) + " s"; }

} // namespace

std::string figures_chart(const PairedComparison &comparison) {
  const std::string label = std::string("A's and B's ") + figure_words(comparison.settings.figure) +
                            " in each slice against the seconds since the comparison began";
  const std::vector<const Slice *> slices = judged_slices(comparison);
  if (slices.empty()) {
    return empty_chart("chart ab-figures", label);
  }
  std::vector<double> seconds;
  std::vector<double> figures;
  for (const Slice *slice : slices) {
    seconds.push_back(slice->start_seconds);
    figures.push_back(judged(*slice, comparison.settings.figure));
  }
  const Axis time_axis = axis_holding(seconds);
  const Axis figure_axis = axis_holding(figures);
  const Scale x(time_axis, plot_left, plot_right);
  const Scale y(figure_axis, plot_bottom, plot_top);
  SvgElement svg = output::chart_svg("chart ab-figures", chart_height, label);
  svg.child(vertical_axis(figure_axis, y)).child(horizontal_axis(time_axis, x));
  double label_heights[2] = {0.0, 0.0};
  for (int program = 0; program < 2; ++program) {
    std::string path;
    std::string dots;
    const Slice *last = nullptr;
    for (const Slice *slice : slices) {
      if (slice->program != program) {
        continue;
      }
      const double sx = x.at(slice->start_seconds);
      const double sy = y.at(judged(*slice, comparison.settings.figure));
      path += (path.empty() ? "M" : " L") + output::fixed_text(sx, 2) + " " + output::fixed_text(sy, 2);
      const std::string name = program_letters[program];
      SvgElement dot =
          output::svg_mark(program == 0 ? "circle" : "rect", std::string("slice ") + program_classes[program],
                           {.kind = "slice",
                            .name = name,
                            .value = exact_number(judged(*slice, comparison.settings.figure)),
                            .title = name + ", round " + std::to_string(slice->round) + ": " +
                                     output::rate_text(judged(*slice, comparison.settings.figure)) +
                                     " megaWhets/second at " + seconds_text(slice->start_seconds)});
      if (program == 0) {
        dot.attribute("cx", sx).attribute("cy", sy).attribute("r", dot_radius);
      } else {
        dot.attribute("x", sx - dot_radius).attribute("y", sy - dot_radius);
        dot.attribute("width", 2 * dot_radius).attribute("height", 2 * dot_radius);
      }
      dot.attribute("data-round", std::to_string(slice->round))
          .attribute("data-seconds", exact_number(slice->start_seconds));
      dots += dot.str();
      last = slice;
    }
    const std::string name = program_letters[program];
    SvgElement trace = output::svg_mark("path", std::string("trace ") + program_classes[program],
                                        {.kind = "trace",
                                         .name = name,
                                         .value = exact_number(static_cast<double>(slices.size() / 2)),
                                         .title = name + ": " + comparison.programs[program].name + ", " +
                                                  std::to_string(slices.size() / 2) + " slices"});
    trace.attribute("d", path);
    svg.child(trace).children(dots);
    label_heights[program] = y.at(judged(*last, comparison.settings.figure));
  }
  // Each line is named at its end; names of lines that end close together
  // are moved apart, so that neither covers the other.
  const auto [a_height, b_height] = apart(label_heights[0], label_heights[1]);
  for (int program = 0; program < 2; ++program) {
    SvgElement end_label("text");
    end_label.css_class(std::string("end-label ") + program_classes[program])
        .attribute("x", end_label_left)
        .attribute("y", (program == 0 ? a_height : b_height) + 4.0)
        .attribute("data-name", program_letters[program])
        .text(program_letters[program]);
    svg.child(end_label);
  }
  svg.child(caption((plot_left + plot_right) / 2, caption_baseline, "seconds since the comparison began"));
  svg.child(side_caption(std::string(figure_name(comparison.settings.figure)) + ", megaWhets/second"));
  return svg.str();
}

std::size_t rounds_off_scale(const PairedComparison &comparison) {
  if (comparison.rounds.empty()) {
    return 0;
  }
  const std::vector<double> changes = round_changes(comparison);
  const Axis axis = changes_axis(comparison, changes);
  return static_cast<std::size_t>(
      std::count_if(changes.begin(), changes.end(), [&](double change) { return off_scale(change, axis); }));
}

std::string ratios_chart(const PairedComparison &comparison) {
  const std::string label = "B against A in each round, in percent, with the answer's interval";
  if (comparison.rounds.empty()) {
    return empty_chart("chart ab-ratios", label);
  }
  const Answer &answer = comparison.answer;
  const UnpairedView &unpaired = comparison.unpaired;
  const double threshold = comparison.settings.threshold_percent;
  const std::vector<double> changes = round_changes(comparison);
  std::vector<double> numbers;
  for (const Round &round : comparison.rounds) {
    numbers.push_back(static_cast<double>(round.number));
  }
  const Axis change_axis = changes_axis(comparison, changes);
  const Axis round_axis = output::round_axis(1.0, std::max(2.0, numbers.back()));
  const Scale x(round_axis, plot_left, plot_right);
  const Scale y(change_axis, plot_bottom, plot_top);
  SvgElement svg = output::chart_svg("chart ab-ratios", chart_height, label);
  svg.child(vertical_axis(change_axis, y)).child(horizontal_axis(round_axis, x));
  const std::string verdict = verdict_words(answer.verdict, threshold);
  const std::string confidence = confidence_text(comparison.settings.alpha);
  if (std::isfinite(answer.low_percent) && std::isfinite(answer.high_percent)) {
    SvgElement band = output::svg_mark(
        "rect", std::string("band ") + verdict_name(answer.verdict),
        {.kind = "interval",
         .name = "B against A",
         .value = exact_number(answer.low_percent) + " " + exact_number(answer.high_percent),
         .title = "B against A: " + confidence + " interval " + interval_text(answer) + ", " + verdict});
    band.attribute("x", plot_left).attribute("width", plot_right - plot_left);
    band.attribute("y", y.at(answer.high_percent))
        .attribute("height", y.at(answer.low_percent) - y.at(answer.high_percent));
    // Its verdict is named in the legend above the chart, where no round's
    // dot can cover it.
    svg.child(band);
  }
  for (const double bound : {threshold, -threshold}) {
    SvgElement line = output::svg_mark(
        "line", "threshold",
        {.kind = "threshold",
         .name = "threshold",
         .value = exact_number(bound),
         .title = output::percent_text(bound) + ": the threshold, within which the two are the same"});
    line.attribute("x1", plot_left)
        .attribute("x2", plot_right)
        .attribute("y1", y.at(bound))
        .attribute("y2", y.at(bound));
    svg.child(line);
  }
  if (std::isfinite(answer.change_percent)) {
    SvgElement estimate = output::svg_mark(
        "line", "estimate",
        {.kind = "estimate",
         .name = "B against A",
         .value = exact_number(answer.change_percent),
         .title = "B against A: " + percent_text(answer.change_percent) + ", the Hodges-Lehmann estimate"});
    estimate.attribute("x1", plot_left).attribute("x2", plot_right);
    estimate.attribute("y1", y.at(answer.change_percent)).attribute("y2", y.at(answer.change_percent));
    svg.child(estimate);
  }
  if (std::isfinite(unpaired.shift_low_percent) && std::isfinite(unpaired.shift_high_percent)) {
    SvgElement outline = output::svg_mark(
        "rect", "unpaired",
        {.kind = "unpaired-interval",
         .name = "unpaired",
         .value = exact_number(unpaired.shift_low_percent) + " " + exact_number(unpaired.shift_high_percent),
         .title = "The same slices unpaired, as compare judges separate runs: 95 % interval " +
                  output::percent_text(unpaired.shift_low_percent) + " .. " +
                  output::percent_text(unpaired.shift_high_percent)});
    outline.attribute("x", plot_right + 6.0).attribute("width", 12.0);
    outline.attribute("y", y.at(unpaired.shift_high_percent))
        .attribute("height", y.at(unpaired.shift_low_percent) - y.at(unpaired.shift_high_percent));
    svg.child(outline);
    SvgElement name("text");
    name.css_class("small")
        .attribute("x", plot_right + 22.0)
        .attribute("y", y.at((unpaired.shift_low_percent + unpaired.shift_high_percent) / 2) + 4.0)
        .text("unpaired");
    svg.child(name);
  }
  const double most = change_axis.ticks.back();
  for (std::size_t k = 0; k < comparison.rounds.size(); ++k) {
    const Round &round = comparison.rounds[k];
    const std::string order = comparison.mode == Mode::duet ? "together"
                              : round.b_first               ? "B first"
                                                            : "A first";
    // A round off the scale is a hollow mark on the plot's edge, its figure
    // in its title and data.
    const bool above = changes[k] > most;
    const bool off = off_scale(changes[k], change_axis);
    SvgElement dot = output::svg_mark("circle", off ? "round off-scale" : "round",
                                      {.kind = "round",
                                       .name = "round " + std::to_string(round.number),
                                       .value = exact_number(changes[k]),
                                       .title = "round " + std::to_string(round.number) + " (" + order +
                                                "): " + output::percent_text(changes[k]) +
                                                (off ? ", off the scale" : "")});
    dot.attribute("cx", x.at(numbers[k])).attribute("r", dot_radius);
    dot.attribute("cy", off ? (above ? plot_top : plot_bottom) : y.at(changes[k]));
    dot.attribute("data-round", std::to_string(round.number));
    if (off) {
      dot.attribute("data-off-scale", above ? "above" : "below");
    }
    svg.child(dot);
  }
  svg.child(caption((plot_left + plot_right) / 2, caption_baseline, "round"));
  svg.child(side_caption("B against A, %"));
  return svg.str();
}

} // namespace ab
