#pragma once

#include <cstddef>
#include <optional>
#include <span>

namespace statistics {

// A confidence interval for the median that assumes nothing of the rates'
// distribution but that it is continuous: between the k-th smallest and the
// k-th largest of n values lie the median with probability 1 - 2 P(B < k),
// B ~ binomial(n, 1/2), since the count of values below the median is B.
struct MedianInterval {
  double low = 0.0;
  double high = 0.0;
  std::size_t low_rank = 0;  // from 1: low is the low_rank-th smallest value
  std::size_t high_rank = 0; // n + 1 - low_rank
  double coverage = 0.0;     // the interval's actual probability, at least the confidence asked for
};

// The narrowest such interval whose coverage reaches `confidence`, which
// lies strictly between 0 and 1 (std::invalid_argument otherwise). None when
// even the whole range falls short, which at 95 % means fewer than 6 values:
// the caller then shows the range itself, without a confidence.
std::optional<MedianInterval> median_interval(std::span<const double> values, double confidence = 0.95);

} // namespace statistics
