// The statistics against SciPy's figures for the same samples, written into
// statistics_reference.inc by statistics_reference.py.

#include "statistics/hodges_lehmann.h"
#include "statistics/mann_whitney.h"
#include "statistics/median.h"
#include "statistics/median_interval.h"
#include "statistics/records_needed.h"
#include "statistics/signed_rank.h"
#include "statistics/u_distribution.h"
#include "statistics_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <stdexcept>
#include <ostream>
#include <vector>

// GoogleTest names each case by these, found beside the types.
namespace statistics_reference {

void PrintTo(const SampleReference &reference, std::ostream *out) { *out << reference.name; }
void PrintTo(const UTestReference &reference, std::ostream *out) { *out << reference.name; }
void PrintTo(const IntervalRankReference &reference, std::ostream *out) {
  *out << reference.n << " values at " << reference.confidence;
}
void PrintTo(const UTailReference &reference, std::ostream *out) {
  *out << reference.n1 << " against " << reference.n2 << " up to " << reference.u;
}
void PrintTo(const ShiftReference &reference, std::ostream *out) { *out << reference.name; }
void PrintTo(const LocationReference &reference, std::ostream *out) { *out << reference.name; }
void PrintTo(const SignedRankReference &reference, std::ostream *out) { *out << reference.name; }

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

class UTails : public ::testing::TestWithParam<UTailReference> {};

TEST_P(UTails, AgreeWithTheCountsInWholeNumbers) {
  const UTailReference &reference = GetParam();
  ASSERT_TRUE(statistics::exact_u_tail_within_reach(reference.n1, reference.n2, reference.u));
  EXPECT_CLOSE(statistics::u_lower_tail(reference.n1, reference.n2, reference.u).back(), reference.lower_tail);
}

INSTANTIATE_TEST_SUITE_P(Reference, UTails, ::testing::ValuesIn(u_tail_references));

void expect_estimate(const statistics::HodgesLehmann &estimate, double expected, const IntervalReference &interval) {
  EXPECT_CLOSE(estimate.estimate, expected);
  ASSERT_EQ(estimate.interval.has_value(), interval.has_interval);
  if (estimate.interval) {
    EXPECT_EQ(estimate.interval->low_rank, interval.low_rank);
    EXPECT_CLOSE(estimate.interval->low, interval.low);
    EXPECT_CLOSE(estimate.interval->high, interval.high);
    EXPECT_CLOSE(estimate.interval->coverage, interval.coverage);
    EXPECT_EQ(estimate.interval->exact, interval.exact);
  }
}

class Shifts : public ::testing::TestWithParam<ShiftReference> {};

TEST_P(Shifts, AgreeWithEveryPairWrittenOut) {
  const ShiftReference &reference = GetParam();
  expect_estimate(statistics::shift_estimate(reference.first, reference.second, reference.confidence),
                  reference.estimate, reference.interval);
}

INSTANTIATE_TEST_SUITE_P(Reference, Shifts, ::testing::ValuesIn(shift_references));

class Locations : public ::testing::TestWithParam<LocationReference> {};

TEST_P(Locations, AgreeWithEveryWalshAverageWrittenOut) {
  const LocationReference &reference = GetParam();
  expect_estimate(statistics::location_estimate(reference.values, reference.confidence), reference.estimate,
                  reference.interval);
}

INSTANTIATE_TEST_SUITE_P(Reference, Locations, ::testing::ValuesIn(location_references));

class SignedRanks : public ::testing::TestWithParam<SignedRankReference> {};

TEST_P(SignedRanks, AgreeWithSciPy) {
  const SignedRankReference &reference = GetParam();
  const statistics::SignedRankTest test = statistics::wilcoxon_signed_rank(reference.differences);
  EXPECT_EQ(test.positive_rank_sum, reference.positive_rank_sum);
  EXPECT_EQ(test.negative_rank_sum, reference.negative_rank_sum);
  EXPECT_CLOSE(test.p_value, reference.p_value);
  EXPECT_EQ(test.method,
            reference.exact ? statistics::SignedRankMethod::exact : statistics::SignedRankMethod::normal_approximation);
}

INSTANTIATE_TEST_SUITE_P(Reference, SignedRanks, ::testing::ValuesIn(signed_rank_references));

// What SciPy refuses: nothing but zeros, or no values at all.
TEST(PairedStatistics, OfNothingButZerosFindNothing) {
  const std::vector<double> zeros(5, 0.0);
  const statistics::SignedRankTest test = statistics::wilcoxon_signed_rank(zeros);
  EXPECT_EQ(test.method, statistics::SignedRankMethod::none);
  EXPECT_EQ(test.p_value, 1.0);
  EXPECT_EQ(test.zeros, 5U);
  const statistics::HodgesLehmann none = statistics::location_estimate({});
  EXPECT_TRUE(std::isnan(none.estimate));
  EXPECT_FALSE(none.interval);
  const std::vector<double> broken{0.1, std::numeric_limits<double>::quiet_NaN()};
  EXPECT_THROW(statistics::wilcoxon_signed_rank(broken), std::invalid_argument);
  EXPECT_THROW(statistics::location_estimate(broken), std::invalid_argument);
}

} // namespace
