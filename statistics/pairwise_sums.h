#pragma once

#include <cstdint>
#include <span>

namespace statistics {

// The sums x_i + y_j of two ascending sequences, as one sorted list without
// writing it out: the Hodges-Lehmann estimates are order statistics of
// n1 n2 differences (two samples) or n (n + 1) / 2 Walsh averages (one), a
// trillion of them for a million records a side.
class PairwiseSums {
public:
  // Every pair (i, j); with `i_at_most_j`, only those with i <= j, for a
  // sequence summed with itself. Both sequences ascending and finite.
  PairwiseSums(std::span<const double> x, std::span<const double> y, bool i_at_most_j = false);

  std::uint64_t count() const { return count_; }

  // The rank-th smallest sum, rank from 1 to count(). A randomized
  // selection over the implicit matrix: each round samples the cells still
  // in question, takes two of the sample's order statistics as pivots that
  // bracket the rank, counts the sums below each in one walk along the
  // matrix's staircase (O(n1 + n2)), and keeps only the cells between.
  // Three rounds take a trillion cells to the two million then written out
  // and selected among directly: O((n1 + n2) log(n1 n2)) expected time in
  // all, O(n1 + n2) memory, and a result that does not depend on the draws.
  double select(std::uint64_t rank) const;

  // The middle sum, or the midpoint of the two middle sums of an even
  // count (one selection and one walk); not a number when there are none.
  double median() const;

private:
  class Selection;
  Selection selection() const;

  std::span<const double> x_;
  std::span<const double> y_;
  bool i_at_most_j_;
  std::uint64_t count_;
};

} // namespace statistics
