#pragma once

#include <vector>

// Where a figure lands on a chart's axis.
namespace output {

// An axis's range of figures, widened to round ends, and its ticks.
struct Axis {
  double low = 0.0;
  double high = 1.0; // always above low
  std::vector<double> ticks{};
};

// The smallest axis with round ends and at most about `most_ticks` ticks
// (1, 2, 2.5 or 5 times a power of ten apart) that holds low and high. A
// single figure, or figures that are not finite, still get an axis of
// positive length, so that nothing divides by zero.
Axis round_axis(double low, double high, int most_ticks = 6);

// A linear map from an axis's figures to pixels.
class Scale {
public:
  Scale(const Axis &axis, double left, double right);
  double at(double figure) const;

private:
  double figure_low_;
  double pixels_per_figure_;
  double left_;
};

} // namespace output
