#pragma once

#include "output/chart_scale.h"
#include "output/svg_element.h"

#include <string_view>

// What every chart of the page shares: its width, its frame, and how an axis
// is drawn.
namespace output {

// The width every chart is drawn at; the page scales it down to fit.
inline constexpr double chart_width = 880.0;

// The golden ratio's fraction: dots spread along an axis at k times it
// (modulo 1) never fall on one another, however many there are.
inline constexpr double golden_fraction = 0.6180339887498949;

// A chart's <svg>, `label` what a screen reader says of it.
SvgElement chart_svg(std::string_view css_class, double height, std::string_view label);

// Where an axis goes on its chart.
struct AxisPlace {
  double left = 0.0;  // the plot's ends, in pixels: the outer ticks' labels
  double right = 0.0; // stay between them
  double grid_top = 0.0;
  double grid_bottom = 0.0;
  double labels_baseline = 0.0; // the ticks' figures
  std::string_view name{};      // data-axis, where a chart has more than one
};

// The axis as a group: a grid line for each tick, with its figure in
// data-tick, and the tick's figure under it.
SvgElement axis_drawing(const Axis &axis, const Scale &scale, const AxisPlace &place);

} // namespace output
