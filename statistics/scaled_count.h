#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace statistics {

// The counts behind the rank tests' exact distributions outgrow a double
// (C(1100, 550) is past 10^329) while the probabilities made of them fall
// below its smallest (1 / C(2200, 1100)). Both are kept as doubles times a
// power of two that the code carries beside them: rescaling by a power of
// two costs no rounding.
struct ScaledCount {
  double significand = 1.0; // in [0.5, 1) once renormalized
  long exponent = 0;

  // This count times `factor`, renormalized.
  ScaledCount times(double factor) const;
};

// C(n1 + n2, n1), the number of orderings of two samples of n1 and n2
// values, to within 2 min(n1, n2) roundings (1e-10 of it for a million
// values a side).
ScaledCount orderings(std::size_t n1, std::size_t n2);

// Counts that a table of the exact distributions holds, with the exponent
// they share: the table is rescaled as a whole whenever its largest count
// passes 2^900, so that no count overflows, and what falls below 2^-1074
// of the scale is far below the largest count, beyond any figure asked of
// it.
struct ScaledTable {
  std::vector<double> counts;
  long exponent = 0;

  // Rescales every count when `largest` has grown past 2^900.
  void keep_in_range(double largest);
};

// How far an exact distribution's table may grow before it stops being
// exact: each count stays a sum of at most most_additions terms, and the
// table holds at most most_doubles values.
inline constexpr std::uint64_t most_additions = std::uint64_t{1} << 27;
inline constexpr std::uint64_t most_doubles = std::uint64_t{1} << 22;

// The running sums of counts[0..top] divided by `total`: P(X <= v) for each
// v, from counts and a total kept at the scales given. Compensated, so that
// a long sum keeps its last bits.
std::vector<double> cumulative_probabilities(const std::vector<double> &counts, long counts_exponent,
                                             ScaledCount total);

} // namespace statistics
