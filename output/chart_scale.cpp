#include "output/chart_scale.h"

#include <array>
#include <cmath>
#include <utility>

namespace output {
namespace {

// The round step nearest above span / most_ticks.
double round_step(double span, int most_ticks) {
  const double rough = span / most_ticks;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (const double multiple : std::array{1.0, 2.0, 2.5, 5.0}) {
    if (multiple * power >= rough) {
      return multiple * power;
    }
  }
  return 10.0 * power;
}

} // namespace

Axis round_axis(double low, double high, int most_ticks) {
  if (!std::isfinite(low) || !std::isfinite(high)) {
    low = 0.0, high = 1.0;
  }
  if (high < low) {
    std::swap(low, high);
  }
  if (high == low) {
    // A lone figure sits in the middle of an axis a tenth of its size.
    const double half = low == 0.0 ? 1.0 : std::fabs(low) * 0.05;
    low -= half, high += half;
  }
  const double step = round_step(high - low, most_ticks < 1 ? 1 : most_ticks);
  Axis axis{.low = std::floor(low / step) * step, .high = std::ceil(high / step) * step};
  // Counted rather than stepped, so that rounding cannot add or drop a tick.
  const auto steps = static_cast<long>(std::lround((axis.high - axis.low) / step));
  for (long tick = 0; tick <= steps; ++tick) {
    axis.ticks.push_back(axis.low + static_cast<double>(tick) * step);
  }
  return axis;
}

Scale::Scale(const Axis &axis, double left, double right)
    : figure_low_(axis.low), pixels_per_figure_((right - left) / (axis.high - axis.low)), left_(left) {}

double Scale::at(double figure) const { return left_ + (figure - figure_low_) * pixels_per_figure_; }

} // namespace output
