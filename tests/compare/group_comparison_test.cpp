// A group of records against the base group: when a difference counts, and
// what the test does with samples that leave it nothing to rank.

#include "compare/group_comparison.h"
#include "statistics/mann_whitney.h"
#include "statistics/median_interval.h"
#include "statistics/records_needed.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
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

TEST(RecordsNeeded, ForSeparateGroupsIsTheExactLeast) {
  EXPECT_EQ(statistics::records_needed(1.0, 0.05), 4U); // 2 / C(8, 4) = 0.029
  EXPECT_EQ(statistics::records_needed(0.0, 0.01), 5U); // 2 / C(10, 5) = 0.0079; 0.029 is not enough
  EXPECT_EQ(statistics::records_needed(1.0, 0.5), statistics::least_records_per_group);
}

} // namespace
