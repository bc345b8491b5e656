#include "statistics/hodges_lehmann.h"

#include "statistics/normal_distribution.h"
#include "statistics/open_probability.h"
#include "statistics/pairwise_sums.h"
#include "statistics/signed_rank_distribution.h"
#include "statistics/sorted_values.h"
#include "statistics/u_distribution.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace statistics {

namespace {

// What the interval's ranks need of the test's statistic S under no
// difference: its count of pairs, its mean (count / 2) and standard
// deviation, and its exact lower tail up to a top, when within reach.
struct NullDistribution {
  std::uint64_t count;
  double sd;
  std::function<bool(std::uint64_t)> within_reach;
  std::function<std::vector<double>(std::uint64_t)> lower_tail;
};

struct CriticalRank {
  std::uint64_t rank;
  double coverage;
  bool exact;
};

// The largest C with P(S <= C - 1) at most (1 - confidence) / 2.
std::optional<CriticalRank> critical_rank(const NullDistribution &null, double confidence) {
  const double tail = (1.0 - confidence) / 2.0;
  // The tail reaches 1/2 by the middle, so the rank lies below it.
  const std::uint64_t middle = null.count / 2;
  if (null.within_reach(middle)) {
    const std::vector<double> lower = null.lower_tail(middle);
    const auto rank = static_cast<std::uint64_t>(std::upper_bound(lower.begin(), lower.end(), tail) - lower.begin());
    if (rank == 0) {
      return std::nullopt;
    }
    return CriticalRank{rank, 1.0 - 2.0 * lower[rank - 1], true};
  }
  const double mean = static_cast<double>(null.count) / 2.0;
  const double rank = std::floor(mean + 0.5 - normal_quantile(1.0 - tail) * null.sd);
  if (rank < 1.0) {
    return std::nullopt;
  }
  return CriticalRank{static_cast<std::uint64_t>(rank), 1.0 - 2.0 * normal_upper_tail((mean + 0.5 - rank) / null.sd),
                      false};
}

HodgesLehmann estimate(const PairwiseSums &pairs, const NullDistribution &null, double confidence) {
  require_open_probability(confidence, "confidence level");
  HodgesLehmann result{.estimate = pairs.median()};
  if (pairs.count() == 0) {
    return result;
  }
  if (const auto critical = critical_rank(null, confidence)) {
    const std::uint64_t high_rank = pairs.count() + 1 - critical->rank;
    result.interval = RankInterval{.low = pairs.select(critical->rank),
                                   .high = pairs.select(high_rank),
                                   .low_rank = critical->rank,
                                   .high_rank = high_rank,
                                   .coverage = critical->coverage,
                                   .exact = critical->exact};
  }
  return result;
}

} // namespace

HodgesLehmann shift_estimate(std::span<const double> first, std::span<const double> second, double confidence) {
  const std::vector<double> ascending = sorted_values(second);
  std::vector<double> negated = sorted_values(first);
  std::ranges::reverse(negated);
  for (double &value : negated) {
    value = -value;
  }
  const std::size_t n1 = first.size();
  const std::size_t n2 = second.size();
  const double pairs = static_cast<double>(n1) * static_cast<double>(n2);
  const NullDistribution u{
      .count = static_cast<std::uint64_t>(n1) * n2,
      .sd = std::sqrt(pairs * (static_cast<double>(n1 + n2) + 1.0) / 12.0),
      .within_reach = [n1, n2](std::uint64_t top) { return exact_u_tail_within_reach(n1, n2, top); },
      .lower_tail = [n1, n2](std::uint64_t top) { return u_lower_tail(n1, n2, top); }};
  return estimate(PairwiseSums(ascending, negated), u, confidence);
}

HodgesLehmann location_estimate(std::span<const double> values, double confidence) {
  // Halved first, so that no average of two finite values overflows: a
  // halving is exact but for subnormal values.
  std::vector<double> halves = sorted_values(values);
  for (double &value : halves) {
    value /= 2.0;
  }
  const std::size_t n = values.size();
  const double size = static_cast<double>(n);
  const NullDistribution signed_rank{
      .count = static_cast<std::uint64_t>(n) * (n + 1) / 2,
      .sd = std::sqrt(size * (size + 1.0) * (2.0 * size + 1.0) / 24.0),
      .within_reach = [n](std::uint64_t top) { return exact_signed_rank_tail_within_reach(n, top); },
      .lower_tail = [n](std::uint64_t top) { return signed_rank_lower_tail(n, top); }};
  return estimate(PairwiseSums(halves, halves, true), signed_rank, confidence);
}

} // namespace statistics
