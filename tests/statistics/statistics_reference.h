#pragma once

// SciPy's figures for the comparison's statistics, as statistics_reference.py
// writes them: for the test that holds the statistics to them, and the
// benchmark that says how close they come.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace statistics_reference {

struct SampleReference {
  const char *name;
  std::vector<double> values;
  double median;
  double median_absolute_deviation;
  double confidence;
  bool has_interval;
  std::size_t low_rank;
  std::size_t high_rank;
  double low;
  double high;
  double coverage;
};

struct UTestReference {
  const char *name;
  std::vector<double> first;
  std::vector<double> second;
  double u;
  double p_value;
  bool exact;
  std::size_t records_needed;
};

struct IntervalRankReference {
  std::size_t n;
  double confidence;
  bool has_interval;
  std::size_t low_rank;
  double coverage;
};

// P(U <= u), where SciPy's exact method would not fit in memory.
struct UTailReference {
  std::size_t n1;
  std::size_t n2;
  std::uint64_t u;
  double lower_tail;
};

// An interval between the low_rank-th smallest and largest of the pairs.
struct IntervalReference {
  bool has_interval;
  std::uint64_t low_rank;
  double low;
  double high;
  double coverage;
  bool exact;
};

struct ShiftReference {
  const char *name;
  std::vector<double> first;
  std::vector<double> second;
  double confidence;
  double estimate; // the median of second - first over every pair
  IntervalReference interval;
};

struct LocationReference {
  const char *name;
  std::vector<double> values;
  double confidence;
  double estimate; // the median of the Walsh averages
  IntervalReference interval;
};

struct SignedRankReference {
  const char *name;
  std::vector<double> differences;
  double positive_rank_sum;
  double negative_rank_sum;
  double p_value;
  bool exact;
};

#include "statistics_reference.inc"

inline double relative_difference(double actual, double expected) {
  const double scale = std::max(std::fabs(actual), std::fabs(expected));
  return scale == 0.0 ? 0.0 : std::fabs(actual - expected) / scale;
}

} // namespace statistics_reference
