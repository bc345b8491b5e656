#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace statistics {

// The exact distribution of the Wilcoxon signed-rank statistic T+, the sum
// of the ranks of the positive ones among n differences, none zero and no
// two of the same size, when each is as likely positive as negative: each
// of the 2^n sign patterns is then equally likely. T+ runs from 0 to
// n (n + 1) / 2 and is symmetric about its middle, so its lower tail gives
// both.
//
// The counts are the coefficients of (1 + q)(1 + q^2)...(1 + q^n), built one
// factor at a time by additions only: each count is within n roundings of
// the truth, and the tail within 1e-12 of it wherever it is computed, down
// to the smallest normal double.
//
// The tail up to t needs only the factors up to t: its cost is
// min(n, t) (t + 1) additions and t + 1 doubles. It is within reach while
// that stays within 2^27 additions (about 0.1 s) and 2^22 doubles, which
// takes in the whole distribution up to n = 812, and tails out to t = 11,584
// for any n.
bool exact_signed_rank_tail_within_reach(std::size_t n, std::uint64_t t);

// P(T+ <= v) for v = 0 to top, for a top within reach (else
// std::invalid_argument).
std::vector<double> signed_rank_lower_tail(std::size_t n, std::uint64_t top);

} // namespace statistics
