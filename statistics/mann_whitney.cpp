#include "statistics/mann_whitney.h"

#include "statistics/normal_distribution.h"
#include "statistics/pooled_ranks.h"
#include "statistics/u_distribution.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace statistics {

namespace {

// Both tests measure the larger of U and n1 n2 - U, which is at least the
// mean n1 n2 / 2, against its upper tail, and double that tail.
double two_sided(double upper_tail) { return std::min(1.0, 2.0 * upper_tail); }

} // namespace

double u_normal_approximation_p(double larger_u, std::size_t first_size, std::size_t second_size, double tie_term) {
  const double n1 = static_cast<double>(first_size);
  const double n2 = static_cast<double>(second_size);
  const double n = n1 + n2;
  // The variance of U with ties, zero when every value is equal: nothing
  // then tells the samples apart.
  const double variance = n1 * n2 / 12.0 * ((n + 1.0) - tie_term / (n * (n - 1.0)));
  if (variance <= 0.0) {
    return 1.0;
  }
  const double z = (larger_u - n1 * n2 / 2.0 - 0.5) / std::sqrt(variance);
  return two_sided(normal_upper_tail(z));
}

UTest mann_whitney(std::span<const double> first, std::span<const double> second) {
  const PooledRanks ranks = pooled_ranks(first, second);
  if (first.empty() || second.empty()) {
    return {};
  }
  const double n1 = static_cast<double>(first.size());
  const double n2 = static_cast<double>(second.size());
  const double u = ranks.first_rank_sum - n1 * (n1 + 1.0) / 2.0;
  const double larger_u = std::max(u, n1 * n2 - u);
  // Without ties every rank is a whole number, and so is U. The upper tail
  // from the larger U is the lower tail from the smaller, by symmetry.
  const auto smaller_u = static_cast<std::uint64_t>(n1 * n2 - larger_u);
  if (ranks.tie_term == 0.0 && exact_u_tail_within_reach(first.size(), second.size(), smaller_u)) {
    const double tail = u_lower_tail(first.size(), second.size(), smaller_u).back();
    return {.u = u, .p_value = two_sided(tail), .method = UTestMethod::exact};
  }
  return {.u = u,
          .p_value = u_normal_approximation_p(larger_u, first.size(), second.size(), ranks.tie_term),
          .method = UTestMethod::normal_approximation};
}

} // namespace statistics
