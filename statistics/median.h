#pragma once

#include <span>

namespace statistics {

// The middle value, or the midpoint of the two middle values of an even
// count; not a number when there are no values.
double median(std::span<const double> values);
double median_of_sorted(std::span<const double> sorted);

// The median of the distances from the median, left unscaled: not
// multiplied by 1.4826 to estimate a normal distribution's spread, since the
// modified z-score's 0.6745 expects the raw figure.
double median_absolute_deviation(std::span<const double> values);

} // namespace statistics
