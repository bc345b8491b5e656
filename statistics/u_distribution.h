#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace statistics {

// The exact distribution of the Mann-Whitney U statistic when two samples of
// n1 and n2 values, none equal, come from one continuous distribution: each
// of the C(n1 + n2, n1) orderings of the pooled values is then equally
// likely, and U counts the pairs that one ordering puts first-sample-above.
// It is symmetric about n1 n2 / 2, so its lower tail gives both.
//
// The counts come from the recursion on the sizes, N(a, b; u) =
// N(a - 1, b; u - b) + N(a, b - 1; u), as the largest value belongs to one
// sample or the other: only additions of positive numbers, so that each
// count is within a + b roundings of the truth, and the tail within 1e-12
// of it however far out, down to the smallest normal double (below that, a
// subnormal holds what it can). The product of Gaussian binomial factors,
// which would cost a factor min(n1, n2) less, subtracts, and loses that
// accuracy near the middle: to 1e-7 at 250 against 320 values.
//
// The tail up to u needs only sizes up to u, since a count N(a, b; v) with
// v <= u does not change once a or b passes u: its cost is
//   a' b' (u + 1) additions, a' = min(n1, u), b' = min(n2, u),
// and it holds min(a', b') + 1 rows of u + 1 doubles. It is within reach
// while that stays within 2^27 additions (about 0.1 s) and 2^22 doubles
// (32 MiB). That takes in every U of 127 against up to 129 values, 100
// against 163, 40 against 409, 10 against 1,638 and 4 against 4,095, and the
// tails out to U = 511 of any sizes, however large.
bool exact_u_tail_within_reach(std::size_t n1, std::size_t n2, std::uint64_t u);

// P(U <= v) for v = 0 to top, for a top within reach (else
// std::invalid_argument).
std::vector<double> u_lower_tail(std::size_t n1, std::size_t n2, std::uint64_t top);

} // namespace statistics
