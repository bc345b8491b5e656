#pragma once

#include <cstddef>
#include <span>

namespace statistics {

enum class SignedRankMethod {
  exact,                // no zeros, no ties, and the exact tail within reach (signed_rank_distribution.h)
  normal_approximation, // with the tie and continuity corrections
  none,                 // no difference other than zero: nothing to test, and p is 1
};

// The two-sided Wilcoxon signed-rank test: whether paired differences (the
// log of each pair's ratio, say) lean to one side of zero, assuming only
// that they would otherwise be spread symmetrically about it.
//
// A difference of exactly zero is dropped, and the rest ranked by size
// (Wilcoxon's own way, SciPy's zero_method="wilcox"). With no zeros and no
// two of the same size, p is exact (2 P(T <= min(T+, T-)), at most 1)
// wherever that tail is within reach: every T of up to 812 differences, and
// T up to 11,584 of any number. Otherwise it comes from the normal
// approximation with the tie correction and the continuity correction
// (SciPy's correction=True), and says so.
struct SignedRankTest {
  double positive_rank_sum = 0.0; // T+, ties taking the mean of their ranks
  double negative_rank_sum = 0.0; // T-
  std::size_t ranked = 0;         // the differences other than zero
  std::size_t zeros = 0;          // dropped
  double p_value = 1.0;
  SignedRankMethod method = SignedRankMethod::none;
};

// Refuses a difference that is not a finite number (std::invalid_argument).
SignedRankTest wilcoxon_signed_rank(std::span<const double> differences);

} // namespace statistics
