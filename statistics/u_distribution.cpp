#include "statistics/u_distribution.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <vector>

namespace statistics {

namespace {

constexpr std::uint64_t most_table_entries = std::uint64_t{1} << 16;
constexpr std::uint64_t most_count = ~std::uint64_t{0};

// C(n1 + n2, n1) when it is below 2^64, built as C(larger + i, i) for
// i = 1 to the smaller size. Each step's exact division goes first by what
// the count and i share, so that only a result past 2^64 fails the check.
std::optional<std::uint64_t> orderings(std::uint64_t n1, std::uint64_t n2) {
  const std::uint64_t smaller = std::min(n1, n2);
  const std::uint64_t larger = std::max(n1, n2);
  std::uint64_t count = 1;
  for (std::uint64_t i = 1; i <= smaller; ++i) {
    const std::uint64_t shared = std::gcd(count, i);
    const std::uint64_t factor = (larger + i) / (i / shared);
    if (count / shared > most_count / factor) {
      return std::nullopt;
    }
    count = count / shared * factor;
  }
  return count;
}

// The number of orderings with each value of U, 0 to n1 n2: the
// coefficients of the Gaussian binomial coefficient
//   prod over i = 1..k of (1 - q^(m + i)) / (1 - q^i),  k = min, m = max,
// built one factor at a time. Dividing by (1 - q^i) is a running sum; the
// partial products overshoot 2^64 and cancel again, which unsigned
// arithmetic wraps through exactly, since the final counts fit.
std::vector<std::uint64_t> u_counts(std::size_t n1, std::size_t n2) {
  const std::size_t smaller = std::min(n1, n2);
  const std::size_t larger = std::max(n1, n2);
  const std::size_t top = n1 * n2;
  std::vector<std::uint64_t> counts(top + 1, 0);
  counts[0] = 1;
  for (std::size_t i = 1; i <= smaller; ++i) {
    for (std::size_t u = top; u >= larger + i; --u) {
      counts[u] -= counts[u - (larger + i)];
    }
    for (std::size_t u = i; u <= top; ++u) {
      counts[u] += counts[u - i];
    }
  }
  return counts;
}

} // namespace

bool exact_u_distribution_within_reach(std::size_t n1, std::size_t n2) {
  const std::uint64_t first = n1;
  const std::uint64_t second = n2;
  const bool small_table = second == 0 || first <= (most_table_entries - 1) / second;
  return small_table && orderings(first, second).has_value();
}

double u_upper_tail(std::uint64_t u, std::size_t n1, std::size_t n2) {
  if (!exact_u_distribution_within_reach(n1, n2)) {
    throw std::invalid_argument(
        "compare: the exact distribution of U is out of reach for these sample sizes");
  }
  const std::vector<std::uint64_t> counts = u_counts(n1, n2);
  const std::uint64_t at_or_above =
      u < counts.size()
          ? std::accumulate(counts.begin() + static_cast<std::ptrdiff_t>(u), counts.end(), std::uint64_t{0})
          : 0;
  return static_cast<double>(at_or_above) / static_cast<double>(*orderings(n1, n2));
}

} // namespace statistics
