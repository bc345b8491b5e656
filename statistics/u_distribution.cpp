#include "statistics/u_distribution.h"

#include "statistics/scaled_count.h"

#include <algorithm>
#include <stdexcept>

namespace statistics {

namespace {

// The sizes the counts up to u need, smaller first.
struct Reach {
  std::uint64_t rows;    // the smaller size, the rows the table holds
  std::uint64_t columns; // the larger, the passes over them
};

Reach reach(std::size_t n1, std::size_t n2, std::uint64_t u) {
  const std::uint64_t first = std::min<std::uint64_t>(n1, u);
  const std::uint64_t second = std::min<std::uint64_t>(n2, u);
  return {std::min(first, second), std::max(first, second)};
}

// a * b <= limit, without overflow.
bool product_within(std::uint64_t a, std::uint64_t b, std::uint64_t limit) { return a == 0 || b <= limit / a; }

} // namespace

bool exact_u_tail_within_reach(std::size_t n1, std::size_t n2, std::uint64_t u) {
  const Reach sizes = reach(n1, n2, u);
  if (u >= most_doubles) {
    return false;
  }
  const std::uint64_t length = u + 1;
  return product_within(sizes.rows + 1, length, most_doubles) &&
         product_within(sizes.rows, sizes.columns, most_additions) &&
         product_within(sizes.rows * sizes.columns, length, most_additions);
}

std::vector<double> u_lower_tail(std::size_t n1, std::size_t n2, std::uint64_t top) {
  if (!exact_u_tail_within_reach(n1, n2, top)) {
    throw std::invalid_argument("compare: the exact distribution of U is out of reach here");
  }
  const Reach sizes = reach(n1, n2, top);
  const std::size_t length = static_cast<std::size_t>(top) + 1;
  const std::size_t rows = static_cast<std::size_t>(sizes.rows);
  // Row b holds N(a, b; v) for v = 0 to top, as a grows to the larger
  // size. With no values in one sample U is 0 in the one ordering there is.
  ScaledTable table{std::vector<double>((rows + 1) * length, 0.0)};
  for (std::size_t b = 0; b <= rows; ++b) {
    table.counts[b * length] = 1.0;
  }
  for (std::uint64_t a = 1; a <= sizes.columns; ++a) {
    for (std::size_t b = 1; b <= rows; ++b) {
      double *row = table.counts.data() + b * length;
      const double *shorter = row - length; // N(a, b - 1), already this pass's
      // Downwards, so that row[v - b] is still N(a - 1, b; v - b).
      for (std::size_t v = length; v-- > b;) {
        row[v] = row[v - b] + shorter[v];
      }
      for (std::size_t v = std::min(b, length); v-- > 0;) {
        row[v] = shorter[v];
      }
    }
    // Counts grow with a and b, so the last row holds the largest.
    const double *last = table.counts.data() + rows * length;
    table.keep_in_range(*std::max_element(last, last + length));
  }
  const std::vector<double> counts(table.counts.end() - static_cast<std::ptrdiff_t>(length), table.counts.end());
  return cumulative_probabilities(counts, table.exponent, orderings(n1, n2));
}

} // namespace statistics
