#pragma once

#include <cstddef>
#include <cstdint>

namespace statistics {

// The exact distribution of the Mann-Whitney U statistic when two samples of
// n1 and n2 values, none equal, come from one continuous distribution: each
// of the C(n1 + n2, n1) orderings of the pooled values is then equally
// likely, and U counts the pairs that one ordering puts first-sample-above.
//
// It is within reach when every count of orderings is exact in 64 bits,
// C(n1 + n2, n1) < 2^64, and its table of n1 n2 + 1 counts stays small, at
// most 2^16 of them (512 KiB). That reaches 33 against 34, 10 against 376
// and 5 against 13,107; the table costs 2 min(n1, n2) n1 n2 additions,
// 75,000 at 33 against 34 and never more than 660,000, a few milliseconds
// at most. The bound reaches furthest where the normal approximation is
// worst, a small sample against a large one, and leaves it the large
// balanced samples it suits.
bool exact_u_distribution_within_reach(std::size_t n1, std::size_t n2);

// P(U >= u) under that distribution, for n1 and n2 within reach (else
// std::invalid_argument).
double u_upper_tail(std::uint64_t u, std::size_t n1, std::size_t n2);

} // namespace statistics
