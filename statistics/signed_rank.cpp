#include "statistics/signed_rank.h"

#include "statistics/normal_distribution.h"
#include "statistics/signed_rank_distribution.h"
#include "statistics/sorted_values.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace statistics {

namespace {

struct Ranked {
  SignedRankTest test;
  double tie_term = 0.0; // the sum of t^3 - t over runs of t equal sizes
};

Ranked ranked(std::span<const double> differences) {
  require_finite(differences);
  Ranked result;
  std::vector<double> nonzero;
  for (const double difference : differences) {
    if (difference == 0.0) {
      ++result.test.zeros;
    } else {
      nonzero.push_back(difference);
    }
  }
  std::ranges::sort(nonzero, {}, [](double difference) { return std::fabs(difference); });
  for (std::size_t start = 0; start < nonzero.size();) {
    std::size_t end = start + 1;
    while (end < nonzero.size() && std::fabs(nonzero[end]) == std::fabs(nonzero[start])) {
      ++end;
    }
    const double run = static_cast<double>(end - start);
    const double mean_rank = static_cast<double>(start) + (run + 1.0) / 2.0;
    for (std::size_t i = start; i < end; ++i) {
      (nonzero[i] > 0.0 ? result.test.positive_rank_sum : result.test.negative_rank_sum) += mean_rank;
    }
    result.tie_term += run * run * run - run;
    start = end;
  }
  result.test.ranked = nonzero.size();
  return result;
}

double normal_approximation_p(double smaller_sum, double n, double tie_term) {
  const double mean = n * (n + 1.0) / 4.0;
  // Positive for any n >= 1, ties or none: they take at most (n^3 - n) / 2
  // from n (n + 1) (2n + 1).
  const double variance = (n * (n + 1.0) * (2.0 * n + 1.0) - tie_term / 2.0) / 24.0;
  const double continuity = smaller_sum < mean ? -0.5 : smaller_sum > mean ? 0.5 : 0.0;
  const double z = (smaller_sum - mean - continuity) / std::sqrt(variance);
  return std::min(1.0, 2.0 * normal_upper_tail(std::fabs(z)));
}

} // namespace

SignedRankTest wilcoxon_signed_rank(std::span<const double> differences) {
  Ranked ranking = ranked(differences);
  SignedRankTest &test = ranking.test;
  if (test.ranked == 0) {
    return test;
  }
  const double smaller_sum = std::min(test.positive_rank_sum, test.negative_rank_sum);
  // Without ties every rank is a whole number, and so is each sum.
  const auto smaller = static_cast<std::uint64_t>(smaller_sum);
  if (test.zeros == 0 && ranking.tie_term == 0.0 && exact_signed_rank_tail_within_reach(test.ranked, smaller)) {
    test.p_value = std::min(1.0, 2.0 * signed_rank_lower_tail(test.ranked, smaller).back());
    test.method = SignedRankMethod::exact;
  } else {
    test.p_value = normal_approximation_p(smaller_sum, static_cast<double>(test.ranked), ranking.tie_term);
    test.method = SignedRankMethod::normal_approximation;
  }
  return test;
}

} // namespace statistics
