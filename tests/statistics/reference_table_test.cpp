// The statistics against SciPy's figures for the same samples, written into
// statistics_reference.inc by statistics_reference.py.

#include "statistics/mann_whitney.h"
#include "statistics/median.h"
#include "statistics/median_interval.h"
#include "statistics/records_needed.h"
#include "statistics_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <ostream>
#include <vector>

// GoogleTest names each case by these, found beside the types.
namespace statistics_reference {

void PrintTo(const SampleReference &reference, std::ostream *out) { *out << reference.name; }
void PrintTo(const UTestReference &reference, std::ostream *out) { *out << reference.name; }
void PrintTo(const IntervalRankReference &reference, std::ostream *out) {
  *out << reference.n << " values at " << reference.confidence;
}

} // namespace statistics_reference

namespace {

using namespace statistics;
using namespace statistics_reference;

// SciPy's own figures carry rounding of their own: 1e-9 of the figure allows
// for that and for no real fault.
constexpr double tolerance = 1e-9;

#define EXPECT_CLOSE(actual, expected) EXPECT_LE(relative_difference(actual, expected), tolerance) << (actual)

class OneSample : public ::testing::TestWithParam<SampleReference> {};

TEST_P(OneSample, MedianSpreadAndIntervalAgreeWithSciPy) {
  const SampleReference &reference = GetParam();
  EXPECT_CLOSE(statistics::median(reference.values), reference.median);
  EXPECT_CLOSE(statistics::median_absolute_deviation(reference.values), reference.median_absolute_deviation);
  const auto interval = statistics::median_interval(reference.values, reference.confidence);
  ASSERT_EQ(interval.has_value(), reference.has_interval);
  if (interval) {
    EXPECT_EQ(interval->low_rank, reference.low_rank);
    EXPECT_EQ(interval->high_rank, reference.high_rank);
    EXPECT_CLOSE(interval->low, reference.low);
    EXPECT_CLOSE(interval->high, reference.high);
    EXPECT_CLOSE(interval->coverage, reference.coverage);
  }
}

INSTANTIATE_TEST_SUITE_P(Reference, OneSample, ::testing::ValuesIn(sample_references));

class IntervalRanks : public ::testing::TestWithParam<IntervalRankReference> {};

TEST_P(IntervalRanks, AgreeWithSciPysBinomial) {
  const IntervalRankReference &reference = GetParam();
  // Descending, so that the ranks must come from sorting: the k-th smallest is k.
  std::vector<double> values(reference.n);
  std::ranges::generate(values, [next = static_cast<double>(reference.n)]() mutable { return next--; });
  const auto interval = statistics::median_interval(values, reference.confidence);
  ASSERT_EQ(interval.has_value(), reference.has_interval);
  if (interval) {
    EXPECT_EQ(interval->low_rank, reference.low_rank);
    EXPECT_EQ(interval->low, static_cast<double>(reference.low_rank));
    EXPECT_EQ(interval->high_rank, reference.n + 1 - reference.low_rank);
    EXPECT_CLOSE(interval->coverage, reference.coverage);
  }
}

INSTANTIATE_TEST_SUITE_P(Reference, IntervalRanks, ::testing::ValuesIn(interval_rank_references));

class TwoSamples : public ::testing::TestWithParam<UTestReference> {};

TEST_P(TwoSamples, UTestAgreesWithSciPy) {
  const UTestReference &reference = GetParam();
  const statistics::UTest test = statistics::mann_whitney(reference.first, reference.second);
  EXPECT_CLOSE(test.u, reference.u);
  EXPECT_CLOSE(test.p_value, reference.p_value);
  EXPECT_EQ(test.method, reference.exact ? statistics::UTestMethod::exact : statistics::UTestMethod::normal_approximation);
  const double pairs = static_cast<double>(reference.first.size() * reference.second.size());
  EXPECT_EQ(statistics::records_needed(test.u / pairs, 0.05), reference.records_needed);
}

INSTANTIATE_TEST_SUITE_P(Reference, TwoSamples, ::testing::ValuesIn(u_test_references));

} // namespace
