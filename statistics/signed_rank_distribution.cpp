#include "statistics/signed_rank_distribution.h"

#include "statistics/scaled_count.h"

#include <algorithm>
#include <stdexcept>

namespace statistics {

bool exact_signed_rank_tail_within_reach(std::size_t n, std::uint64_t t) {
  if (t >= most_doubles) {
    return false;
  }
  const std::uint64_t factors = std::min<std::uint64_t>(n, t);
  return factors == 0 || t + 1 <= most_additions / factors;
}

std::vector<double> signed_rank_lower_tail(std::size_t n, std::uint64_t top) {
  if (!exact_signed_rank_tail_within_reach(n, top)) {
    throw std::invalid_argument("compare: the exact distribution of the signed-rank statistic is out of reach here");
  }
  const std::size_t length = static_cast<std::size_t>(top) + 1;
  const std::size_t factors = std::min<std::size_t>(n, length - 1);
  ScaledTable table{std::vector<double>(length, 0.0)};
  table.counts[0] = 1.0;
  for (std::size_t i = 1; i <= factors; ++i) {
    // Times (1 + q^i), downwards so that counts[v - i] is still the old one.
    for (std::size_t v = length; v-- > i;) {
      table.counts[v] += table.counts[v - i];
    }
    // A factor at most doubles the largest count: checking every 64th
    // keeps it below 2^964.
    if (i % 64 == 0) {
      table.keep_in_range(*std::max_element(table.counts.begin(), table.counts.end()));
    }
  }
  // Each of the 2^n patterns, the factors past top included, is one count.
  const ScaledCount patterns{.significand = 0.5, .exponent = static_cast<long>(n) + 1};
  return cumulative_probabilities(table.counts, table.exponent, patterns);
}

} // namespace statistics
