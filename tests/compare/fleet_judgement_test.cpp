// The host that runs apart from the others of its stratum.

#include "compare/fleet_judgement.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

using namespace compare;

constexpr Verdict ok = Verdict::ok;
constexpr Verdict slow = Verdict::slow;
constexpr Verdict fast = Verdict::fast;

struct StratumCase {
  const char *name;
  std::vector<double> rates;
  double slow_fraction;
  std::vector<Verdict> verdicts;
  bool z_given;
};

void PrintTo(const StratumCase &stratum, std::ostream *out) { *out << stratum.name; }

class Stratum : public ::testing::TestWithParam<StratumCase> {};

TEST_P(Stratum, NamesOnlyAHostApartByEnoughToMatter) {
  const StratumCase &c = GetParam();
  const StratumJudgement stratum = judge_stratum(c.rates, c.slow_fraction);
  ASSERT_EQ(stratum.hosts.size(), c.verdicts.size());
  for (std::size_t host = 0; host < c.verdicts.size(); ++host) {
    EXPECT_EQ(stratum.hosts[host].verdict, c.verdicts[host]) << "host " << host;
    EXPECT_EQ(stratum.hosts[host].z.has_value(), c.z_given) << "host " << host;
  }
  EXPECT_TRUE(stratum.unjudged_because.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Strata, Stratum,
    ::testing::Values(
        // M 1000, MAD 2: the slow host's z is -33.7 and it runs 10 % short.
        StratumCase{"one slow host",
                    {1000, 1002, 998, 1001, 999, 900, 1003},
                    0.05,
                    {ok, ok, ok, ok, ok, slow, ok},
                    true},
        StratumCase{
            "one fast host", {1000, 1002, 998, 1001, 999, 1100}, 0.05, {ok, ok, ok, ok, ok, fast}, true},
        // z -26.8, but only 3 % short: apart, yet not by enough...
        StratumCase{
            "a tight stratum", {1000, 1001, 999, 1000.5, 999.5, 970}, 0.05, {ok, ok, ok, ok, ok, ok}, true},
        // ...unless 3 % is enough.
        StratumCase{"a tight stratum, strictly",
                    {1000, 1001, 999, 1000.5, 999.5, 970},
                    0.02,
                    {ok, ok, ok, ok, ok, slow},
                    true},
        // 9 % short, but the spread is as wide: z is -0.76.
        StratumCase{
            "a wide stratum", {1000, 1100, 900, 1050, 950, 890}, 0.05, {ok, ok, ok, ok, ok, ok}, true},
        StratumCase{"most hosts equal",
                    {1000, 1000, 1000, 1000, 900, 1020, 1100},
                    0.05,
                    {ok, ok, ok, ok, slow, ok, fast},
                    false}));

TEST(Stratum, GivesEachHostsFigures) {
  const std::vector<double> rates{1000, 1002, 998, 1001, 999, 900, 1003};
  const StratumJudgement stratum = judge_stratum(rates);
  EXPECT_EQ(stratum.median, 1000.0);
  EXPECT_EQ(stratum.median_absolute_deviation, 2.0);
  EXPECT_DOUBLE_EQ(*stratum.hosts[5].z, 0.6745 * -100.0 / 2.0);
  EXPECT_DOUBLE_EQ(stratum.hosts[5].deficit, 0.1);
}

TEST(Stratum, OfTooFewHostsSaysWhyAndStillGivesDeficits) {
  const std::vector<double> rates{1000, 1000, 1000, 500};
  const StratumJudgement stratum = judge_stratum(rates);
  EXPECT_EQ(stratum.unjudged_because, "only 4 hosts, fewer than 5");
  EXPECT_EQ(stratum.hosts[3].verdict, Verdict::unjudged);
  EXPECT_FALSE(stratum.hosts[3].z.has_value());
  EXPECT_DOUBLE_EQ(stratum.hosts[3].deficit, 0.5);
  EXPECT_THROW(judge_stratum(rates, 0.0), std::invalid_argument);
}

TEST(Stratum, OfTooFewNamesWhatItsMembersAre) {
  const std::vector<double> one = {100.0};
  const std::vector<double> two = {100.0, 101.0};
  EXPECT_EQ(compare::judge_stratum(one).unjudged_because, "only 1 host, fewer than 5");
  EXPECT_EQ(compare::judge_stratum(two, 0.05, {.one = "series", .many = "series"}).unjudged_because,
            "only 2 series, fewer than 5");
}

} // namespace
