// A group of records against the base group: when a difference counts, and
// what the test does with samples that leave it nothing to rank.

#include "compare/group_comparison.h"
#include "statistics/mann_whitney.h"
#include "statistics/median_interval.h"
#include "statistics/records_needed.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <stdexcept>
#include <tuple>
#include <vector>

namespace {

using namespace compare;

struct ComparisonCase {
  const char *name;
  std::vector<double> base;
  std::vector<double> group;
  double change_percent;
  bool significant;
  std::optional<std::size_t> records_needed;
};

void PrintTo(const ComparisonCase &comparison, std::ostream *out) { *out << comparison.name; }

class Comparison : public ::testing::TestWithParam<ComparisonCase> {};

TEST_P(Comparison, CountsOnlyAFoundDifferenceWithEnoughRecords) {
  const ComparisonCase &c = GetParam();
  const GroupComparison comparison = compare_with_base(c.base, c.group);
  EXPECT_NEAR(comparison.change_percent, c.change_percent, 1e-12);
  EXPECT_EQ(comparison.significant, c.significant);
  EXPECT_EQ(comparison.records_needed, c.records_needed);
}

std::vector<double> rates_from(double first, std::size_t count) {
  std::vector<double> rates(count);
  for (double &rate : rates) {
    rate = first++;
  }
  return rates;
}

INSTANTIATE_TEST_SUITE_P(
    Groups, Comparison,
    ::testing::Values(
        // Exactly, p = 2 / C(8, 4) = 0.029.
        ComparisonCase{
            "four faster, apart", {100, 101, 102, 103}, {110, 111, 112, 113}, 1000.0 / 101.5, true, {}},
        ComparisonCase{
            "four slower, apart", {110, 111, 112, 113}, {100, 101, 102, 103}, -1000.0 / 111.5, true, {}},
        // p = 2 / C(33, 3) = 0.0004, but from three runs of the group.
        ComparisonCase{"three against thirty, apart",
                       rates_from(100, 30),
                       {200, 201, 202},
                       100.0 * (201.0 / 114.5 - 1.0),
                       false,
                       4},
        // A superiority of 0.6: Noether's (1.96 + 0.84)^2 / (6 * 0.1^2) = 130.8.
        ComparisonCase{
            "overlapping", {100, 102, 104, 106, 108}, {101, 103, 105, 107, 109}, 100.0 / 104.0, false, 131},
        ComparisonCase{"identical",
                       {5000, 5000, 5000, 5000},
                       {5000, 5000, 5000, 5000},
                       0.0,
                       false,
                       statistics::most_records_needed}));

TEST(Comparison, OfAnEmptyGroupHasNoFigures) {
  const std::vector<double> base{100, 101, 102, 103};
  const GroupComparison comparison = compare_with_base(base, {});
  EXPECT_TRUE(std::isnan(comparison.change_percent));
  EXPECT_FALSE(comparison.enough_records);
  EXPECT_FALSE(comparison.significant);
  EXPECT_FALSE(comparison.records_needed.has_value());
}

TEST(Comparison, RefusesProbabilitiesOutsideZeroToOne) {
  const std::vector<double> base{100, 101, 102, 103};
  EXPECT_THROW(compare_with_base(base, base, 0.0), std::invalid_argument);
  EXPECT_THROW(compare_with_base(base, base, std::numeric_limits<double>::quiet_NaN()),
               std::invalid_argument);
  EXPECT_THROW((void)statistics::median_interval(base, 1.0), std::invalid_argument);
  EXPECT_THROW((void)statistics::records_needed(1.5, 0.05), std::invalid_argument);
}

TEST(UTest, OfAnEmptySampleFindsNothing) {
  const std::vector<double> some{1.0, 2.0};
  for (const auto &[first, second] :
       {std::pair{std::vector<double>{}, some}, std::pair{some, std::vector<double>{}},
        std::pair{std::vector<double>{}, std::vector<double>{}}}) {
    const statistics::UTest test = statistics::mann_whitney(first, second);
    EXPECT_EQ(test.method, statistics::UTestMethod::none);
    EXPECT_EQ(test.p_value, 1.0);
    EXPECT_EQ(test.u, 0.0);
  }
}

TEST(UTest, RefusesARateThatIsNotANumber) {
  const std::vector<double> some{1.0, 2.0};
  const std::vector<double> broken{1.0, std::numeric_limits<double>::quiet_NaN()};
  EXPECT_THROW(statistics::mann_whitney(some, broken), std::invalid_argument);
  EXPECT_THROW(compare_with_base(broken, some), std::invalid_argument);
}

// The medians can point one way while the test, which judges, points the
// other: the verdict's direction and the shift beside it are the test's.
struct DirectionCase {
  const char *name;
  std::vector<double> base;
  std::vector<double> group;
  double change_percent;
  Direction direction;
  double shift_percent;
};

void PrintTo(const DirectionCase &c, std::ostream *out) { *out << c.name; }

class TestsDirection : public ::testing::TestWithParam<DirectionCase> {};

TEST_P(TestsDirection, IsTheVerdictsAndTheShiftsSign) {
  const DirectionCase &c = GetParam();
  const GroupComparison comparison = compare_with_base(c.base, c.group);
  EXPECT_NEAR(comparison.change_percent, c.change_percent, 1e-12);
  EXPECT_TRUE(comparison.significant);
  EXPECT_EQ(comparison.direction, c.direction);
  EXPECT_NEAR(comparison.shift_percent, c.shift_percent, 1e-12);
  ASSERT_TRUE(comparison.shift_interval);
  EXPECT_LT(comparison.shift_interval->low_percent, c.shift_percent + 1e-9);
  EXPECT_GT(comparison.shift_interval->high_percent, c.shift_percent - 1e-9);
}

std::vector<double> repeated(std::initializer_list<std::pair<double, std::size_t>> runs) {
  std::vector<double> values;
  for (const auto &[value, count] : runs) {
    values.insert(values.end(), count, value);
  }
  return values;
}

INSTANTIATE_TEST_SUITE_P(
    Groups, TestsDirection,
    ::testing::Values(
        // Every value of the group at least the base's, yet the medians equal.
        DirectionCase{"no lower, the medians equal", repeated({{9000, 9}, {10000, 10}}),
                      repeated({{10000, 10}, {11000, 9}}), 0.0, Direction::faster, 10.0},
        // The group's median above the base's, yet most pairs below.
        DirectionCase{"a higher median, mostly lower", repeated({{100, 10}, {200, 10}}),
                      repeated({{50, 9}, {157.5, 10}}), 5.0, Direction::slower, -42.5 / 150.0 * 100.0}));

// The direction comes from U, the shift from the pairs' differences: over
// many samples, ties and all, a significant test never has a shift of 0
// or one pointing the other way.
TEST(TestsDirection, AndTheShiftAgreeWheneverTheTestIsSignificant) {
  std::mt19937_64 random(20240611);
  std::size_t significant = 0;
  std::size_t only_ties = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    // Few distinct values make ties common; a whole number of steps apart.
    const std::uint64_t levels = trial % 3 == 0 ? 1000000 : 2 + random() % 6;
    const double step = static_cast<double>(random() % 3);
    const auto sample = [&](double offset) {
      std::vector<double> values(4 + random() % 22);
      for (double &value : values) {
        value = 1000.0 + offset + static_cast<double>(random() % levels);
      }
      return values;
    };
    const std::vector<double> base = sample(0.0);
    const std::vector<double> group = sample(step * (trial % 2 == 0 ? 1.0 : -1.0));
    const GroupComparison c = compare_with_base(base, group, 0.05);
    const double mean = static_cast<double>(base.size() * group.size()) / 2.0;
    ASSERT_EQ(c.direction, c.test.u > mean   ? Direction::faster
                           : c.test.u < mean ? Direction::slower
                                             : Direction::neither);
    const bool found = c.test.p_value < 0.05;
    ASSERT_EQ(c.significant || c.only_ties_differ, found);
    if (c.significant) {
      ++significant;
      ASSERT_NE(c.shift_percent, 0.0);
      ASSERT_EQ(c.shift_percent > 0.0 ? Direction::faster : Direction::slower, c.direction);
    }
    if (c.only_ties_differ) {
      ++only_ties;
      ASSERT_EQ(c.shift_percent, 0.0);
    }
  }
  // Both kinds of outcome were met, so that the checks above were put to use.
  EXPECT_GT(significant, 500U);
  EXPECT_GT(only_ties, 0U);
}

// Values that both groups share can hold the shift at 0 while the test,
// which counts ties as half, finds a difference: that is no shift to call
// faster or slower.
TEST(TestsDirection, WithOnlyTiesBetweenThemIsNoVerdict) {
  const GroupComparison comparison =
      compare_with_base(repeated({{1000, 20}}), repeated({{1000, 11}, {1001, 10}}));
  EXPECT_LT(comparison.test.p_value, 0.001);
  EXPECT_EQ(comparison.direction, Direction::faster);
  EXPECT_EQ(comparison.shift_percent, 0.0);
  EXPECT_FALSE(comparison.significant);
  EXPECT_TRUE(comparison.only_ties_differ);
}

// Groups each all alike, apart: significant from the fewest records at
// which they can be, and "too few" rather than "no difference" below.
TEST(AllAlikeGroups, AreDifferentFromTheFewestRecordsThatCanShowIt) {
  const std::vector<double> four_slow(4, 1000.0);
  const std::vector<double> four_fast(4, 1100.0);
  const std::vector<double> five_slow(5, 1000.0);
  const std::vector<double> five_fast(5, 1100.0);
  EXPECT_TRUE(compare_with_base(four_slow, four_fast, 0.05).significant);
  const GroupComparison strict = compare_with_base(four_slow, four_fast, 0.01);
  EXPECT_NEAR(strict.test.p_value, 0.0131, 1e-4);
  EXPECT_FALSE(strict.significant);
  EXPECT_FALSE(strict.could_be_significant);
  EXPECT_TRUE(compare_with_base(five_slow, five_fast, 0.01).significant);
  EXPECT_TRUE(compare_with_base(five_slow, five_fast, 0.01).could_be_significant);
  // As many a side as the documentation says, and no fewer.
  for (const auto &[alpha, least] : {std::pair{0.02, 4U}, {0.01, 5U}, {0.001, 7U}, {0.0001, 9U}}) {
    EXPECT_LT(statistics::least_p_value(least, least), alpha);
    EXPECT_GE(statistics::least_p_value(least - 1, least - 1), alpha);
  }
  // Against another size, the fewest for the group alone.
  for (const auto &[alpha, other, least] : {std::tuple{0.05, 1U, 6U}, {0.01, 5U, 4U}, {0.001, 4U, 9U}}) {
    EXPECT_EQ(statistics::least_records_to_separate(alpha, other), least) << alpha << " " << other;
    EXPECT_LT(statistics::least_p_value(least, other), alpha);
    EXPECT_GE(statistics::least_p_value(least - 1, other), alpha);
  }
  EXPECT_EQ(statistics::least_records_to_separate(1e-300, 1), 1376U);
  EXPECT_EQ(statistics::least_records_to_separate(0.05, 0), std::nullopt);
}

TEST(RecordsNeeded, ForSeparateGroupsIsTheExactLeast) {
  EXPECT_EQ(statistics::records_needed(1.0, 0.05), 4U); // 2 / C(8, 4) = 0.029
  EXPECT_EQ(statistics::records_needed(0.0, 0.01), 5U); // 2 / C(10, 5) = 0.0079; 0.029 is not enough
  EXPECT_EQ(statistics::records_needed(1.0, 0.5), statistics::least_records_per_group);
}

} // namespace
