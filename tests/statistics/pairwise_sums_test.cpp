// The selection among pairwise sums against every sum written out and
// sorted: small and large, with and without ties, both samples and one
// summed with itself.

#include "statistics/pairwise_sums.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

namespace {

struct Case {
  std::size_t n1;
  std::size_t n2;
  std::uint64_t levels; // distinct values a side draws from: few make ties
  bool i_at_most_j;
};

TEST(PairwiseSums, SelectsWhatSortingEverySumWouldFind) {
  std::mt19937_64 random(7);
  // From a handful of cells to past the 65,536 gathered directly, where the
  // rounds begin; one side all alike leaves only two sums near the middle.
  const std::vector<Case> cases = {{1, 1, 10, false},     {3, 7, 4, false},       {25, 25, 1000000, true},
                                   {40, 9, 3, true},      {300, 290, 1000000, false}, {400, 350, 3, false},
                                   {420, 420, 5, true},   {500, 300, 2, false},   {333, 400, 1, false}};
  for (const Case &c : cases) {
    std::vector<double> x(c.n1);
    std::vector<double> y(c.i_at_most_j ? c.n1 : c.n2);
    for (double &value : x) {
      value = static_cast<double>(random() % c.levels) * 0.25;
    }
    for (double &value : y) {
      value = c.n1 == 500 ? 1.0 : static_cast<double>(random() % c.levels) * 0.5;
    }
    if (c.i_at_most_j) {
      y = x;
    }
    std::ranges::sort(x);
    std::ranges::sort(y);
    std::vector<double> sums;
    for (std::size_t i = 0; i < x.size(); ++i) {
      for (std::size_t j = c.i_at_most_j ? i : 0; j < y.size(); ++j) {
        sums.push_back(x[i] + y[j]);
      }
    }
    std::ranges::sort(sums);
    const statistics::PairwiseSums pairs(x, y, c.i_at_most_j);
    ASSERT_EQ(pairs.count(), sums.size());
    const std::uint64_t count = sums.size();
    for (const std::uint64_t rank : {std::uint64_t{1}, count / 4 + 1, (count + 1) / 2, count / 2 + 1,
                                     count - count / 40, count}) {
      EXPECT_EQ(pairs.select(rank), sums[rank - 1]) << c.n1 << " x " << c.n2 << ", rank " << rank;
    }
    const std::size_t half = sums.size() / 2;
    EXPECT_EQ(pairs.median(), sums.size() % 2 == 1 ? sums[half] : std::midpoint(sums[half - 1], sums[half]))
        << c.n1 << " x " << c.n2;
  }
}

} // namespace
