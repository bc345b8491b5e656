#pragma once

#include <span>

namespace statistics {

// The two samples ranked together from 1, equal values each taking the mean
// of the ranks they share.
struct PooledRanks {
  double first_rank_sum = 0.0;
  // The sum of t^3 - t over the runs of t equal values: what ties take from
  // the rank sum's variance. Zero exactly when no two values are equal.
  double tie_term = 0.0;
};

PooledRanks pooled_ranks(std::span<const double> first, std::span<const double> second);

} // namespace statistics
