#pragma once

#include <cstddef>
#include <span>

namespace statistics {

enum class UTestMethod {
  exact,                // no ties, and the exact tail within reach (u_distribution.h)
  normal_approximation, // with the tie and continuity corrections
  none,                 // a sample is empty: nothing to test, and p is 1
};

// The two-sided Mann-Whitney U test: whether values of one sample tend to
// be larger than those of the other.
struct UTest {
  // The pairs, one value from each sample, in which the first sample's value
  // is the larger, ties counting half: u / (n1 n2) estimates the probability
  // that a value of the first sample exceeds one of the second.
  double u = 0.0;
  double p_value = 1.0;
  UTestMethod method = UTestMethod::none;
};

UTest mann_whitney(std::span<const double> first, std::span<const double> second);

// The normal approximation's two-sided p for samples of n1 and n2 values
// whose U lies at larger_u, at or above the mean n1 n2 / 2, with the tie term
// of pooled_ranks.h and the continuity correction.
double u_normal_approximation_p(double larger_u, std::size_t n1, std::size_t n2, double tie_term);

} // namespace statistics
