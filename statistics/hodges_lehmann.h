#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace statistics {

// The Hodges-Lehmann estimates: the rank tests' own measures of how far
// apart, or how far from zero, values lie. They assume nothing of the
// values' distribution but that it is continuous (and, for one sample,
// symmetric about its centre), and are computed without writing out the
// pairs: O(n log n) expected time and O(n) memory (pairwise_sums.h), so
// that a million values a side take about a second.
//
// Their intervals lie between order statistics of the same pairs: the C-th
// smallest and the C-th largest cover the true value with probability
// 1 - 2 P(S <= C - 1), S the test's statistic under no difference (U, or
// T+). C is the largest that keeps that at or above the confidence asked
// for, from the exact distribution while its lower half is within reach
// (u_distribution.h, signed_rank_distribution.h), else from the normal
// approximation with the continuity correction, C = floor(mean + 1/2 -
// z sd), which is then said.
struct RankInterval {
  double low = 0.0;
  double high = 0.0;
  std::uint64_t low_rank = 0;  // from 1: low is the low_rank-th smallest of the pairs
  std::uint64_t high_rank = 0; // count + 1 - low_rank
  double coverage = 0.0;       // the actual probability; approximate where not exact
  bool exact = false;
};

// Each takes a confidence strictly between 0 and 1, and finite values
// (std::invalid_argument otherwise).
struct HodgesLehmann {
  double estimate = 0.0; // not a number when there are no values
  // None when even the widest interval, from the least to the greatest of
  // the pairs, falls short of the confidence: at 95 %, for 3 values against
  // 4 or fewer, 2 against 7 or fewer, 1 against 38 or fewer, or fewer than 6
  // values of one sample.
  std::optional<RankInterval> interval{};
};

// How far the second sample lies above the first: the median of the n1 n2
// differences second - first, with its interval.
//
// Its sign is the U test's. With U counting the pairs in which the second
// sample's value is the larger (ties half), U - n1 n2 / 2 is half the count
// of positive differences less that of negative ones. A positive median
// leaves at most half the differences at or below zero, so U is at or above
// its mean, and at it only with exactly half on each side, where the test's
// p is 1; a negative one likewise. A median of exactly zero beside a U off
// its mean needs values that the samples share: the zero differences then
// hold the middle.
HodgesLehmann shift_estimate(std::span<const double> first, std::span<const double> second,
                             double confidence = 0.95);

// Where one sample's centre lies: the median of its n (n + 1) / 2 Walsh
// averages (x_i + x_j) / 2, i <= j, with its interval from the signed-rank
// distribution. For paired slices' log ratios, the typical log ratio.
HodgesLehmann location_estimate(std::span<const double> values, double confidence = 0.95);

} // namespace statistics
