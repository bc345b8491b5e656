#include "statistics/pooled_ranks.h"

#include "statistics/sorted_values.h"

#include <algorithm>
#include <vector>

namespace statistics {

namespace {

struct PooledValue {
  double value;
  bool from_first;
};

std::vector<PooledValue> pooled_in_order(std::span<const double> first, std::span<const double> second) {
  require_finite(first);
  require_finite(second);
  std::vector<PooledValue> pooled;
  pooled.reserve(first.size() + second.size());
  for (const double value : first) {
    pooled.push_back({value, true});
  }
  for (const double value : second) {
    pooled.push_back({value, false});
  }
  std::ranges::sort(pooled, {}, &PooledValue::value);
  return pooled;
}

} // namespace

PooledRanks pooled_ranks(std::span<const double> first, std::span<const double> second) {
  const std::vector<PooledValue> pooled = pooled_in_order(first, second);
  PooledRanks ranks;
  for (std::size_t start = 0; start < pooled.size();) {
    std::size_t end = start + 1;
    while (end < pooled.size() && pooled[end].value == pooled[start].value) {
      ++end;
    }
    // Ranks start + 1 to end, each exact as a double: their mean is too.
    const double run = static_cast<double>(end - start);
    const double mean_rank = static_cast<double>(start) + (run + 1.0) / 2.0;
    const auto from_first =
        std::count_if(pooled.begin() + static_cast<std::ptrdiff_t>(start),
                      pooled.begin() + static_cast<std::ptrdiff_t>(end),
                      [](const PooledValue &pooled_value) { return pooled_value.from_first; });
    ranks.first_rank_sum += mean_rank * static_cast<double>(from_first);
    ranks.tie_term += run * run * run - run;
    start = end;
  }
  return ranks;
}

} // namespace statistics
