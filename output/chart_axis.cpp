#include "output/chart_axis.h"

#include "output/number_text.h"

#include <algorithm>
#include <string>
#include <vector>

namespace output {

SvgElement chart_svg(std::string_view css_class, double height, std::string_view label) {
  SvgElement svg("svg");
  svg.css_class(css_class)
      .attribute("xmlns", "http://www.w3.org/2000/svg")
      .attribute("viewBox", "0 0 " + fixed_text(chart_width, 2) + " " + fixed_text(height, 2))
      .attribute("width", chart_width)
      .attribute("height", height)
      .attribute("role", "img")
      .attribute("aria-label", label);
  return svg;
}

namespace {

// Of the axis's 11 px figures, erring wide.
constexpr double tick_character_width = 6.2;
constexpr double tick_label_gap = 4.0;

struct TickLabel {
  double x = 0.0;
  std::string_view anchor{};
  double start = 0.0;
  double end = 0.0;
  bool shown = false;
};

// The outer figures end at the plot's ends rather than stand out past them,
// where they would run into a neighbouring axis's; a figure between them
// that would touch one already placed is left out (its grid line stays).
std::vector<TickLabel> placed_labels(const std::vector<double> &xs, const std::vector<std::string> &texts,
                                     const AxisPlace &place) {
  std::vector<TickLabel> labels;
  for (std::size_t k = 0; k < xs.size(); ++k) {
    const double width = static_cast<double>(texts[k].size()) * tick_character_width;
    TickLabel label{.x = xs[k], .anchor = "middle", .start = xs[k] - width / 2, .end = xs[k] + width / 2};
    if (k == 0 && xs[k] <= place.left + 0.5) {
      label = {.x = place.left, .anchor = "start", .start = place.left, .end = place.left + width};
    } else if (k + 1 == xs.size() && xs[k] >= place.right - 0.5) {
      label = {.x = place.right, .anchor = "end", .start = place.right - width, .end = place.right};
    }
    labels.push_back(label);
  }
  std::vector<std::size_t> order;
  for (std::size_t k = 0; k < labels.size(); ++k) {
    order.push_back(k);
  }
  if (labels.size() > 1) {
    std::swap(order[1], order.back()); // both ends first
  }
  for (const std::size_t k : order) {
    TickLabel &label = labels[k];
    label.shown = std::none_of(labels.begin(), labels.end(), [&](const TickLabel &other) {
      return other.shown && label.start < other.end + tick_label_gap &&
             other.start < label.end + tick_label_gap;
    });
  }
  return labels;
}

} // namespace

SvgElement axis_drawing(const Axis &axis, const Scale &scale, const AxisPlace &place) {
  const double step = axis.ticks.size() > 1 ? axis.ticks[1] - axis.ticks[0] : 1.0;
  SvgElement drawing("g");
  drawing.css_class("axis");
  if (!place.name.empty()) {
    drawing.attribute("data-axis", place.name);
  }
  std::vector<double> xs;
  std::vector<std::string> texts;
  for (const double tick : axis.ticks) {
    xs.push_back(scale.at(tick));
    texts.push_back(tick_text(tick, step));
  }
  const std::vector<TickLabel> labels = placed_labels(xs, texts, place);
  for (std::size_t k = 0; k < axis.ticks.size(); ++k) {
    drawing.child(SvgElement("line")
                      .attribute("x1", xs[k])
                      .attribute("x2", xs[k])
                      .attribute("y1", place.grid_top)
                      .attribute("y2", place.grid_bottom)
                      .attribute("data-tick", exact_number(axis.ticks[k])));
    if (labels[k].shown) {
      drawing.child(SvgElement("text")
                        .css_class("small tick")
                        .attribute("x", labels[k].x)
                        .attribute("y", place.labels_baseline)
                        .attribute("text-anchor", labels[k].anchor)
                        .text(texts[k]));
    }
  }
  return drawing;
}

} // namespace output
