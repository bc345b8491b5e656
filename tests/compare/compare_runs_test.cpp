// Runs grouped by what differs among them, each group judged against the
// base, and each host of a fleet against its peers.

#include "compare/compare_runs.h"
#include "compare_output/tables.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

namespace {

using namespace compare;

record::RecordedRun run(std::string host, double steady, std::string label = "", std::string started = "") {
  record::RecordedRun run{.host_name = record::Text(host),
                          .processor_model = record::Text("AMD EPYC"),
                          .processors = 2,
                          .compiler = record::Text("g++"),
                          .compiler_version = record::Text("12.2.0"),
                          .flags = record::Text("-O2"),
                          .architecture = record::Text("x86-64"),
                          .started_at = record::StartTime(started.empty() ? std::to_string(steady) : started),
                          .rate = steady * 0.99,
                          .steady = steady};
  if (!label.empty()) {
    run.label = record::Text(label);
  }
  return run;
}

std::vector<Entry> entries(const std::vector<record::RecordedRun> &runs) {
  std::vector<Entry> result;
  for (const auto &each : runs) {
    result.push_back({{record::Text("runs.json"), static_cast<std::uint32_t>(result.size() + 1)}, each});
  }
  return result;
}

TEST(CompareRuns, GroupsByWhatDiffersAndJudgesEachAgainstTheFirst) {
  // Every value of a group the same, and the groups apart: a real difference,
  // not "no difference" for want of spread.
  std::vector<record::RecordedRun> runs;
  for (int i = 0; i < 4; ++i) {
    runs.push_back(run("alpha", 100.0, "gcc-12", "a" + std::to_string(i)));
    runs.push_back(run("alpha", 110.0, "gcc-13", "b" + std::to_string(i)));
  }
  for (int i = 0; i < 3; ++i) {
    runs.push_back(run("alpha", 120.0 + i, "clang", "c" + std::to_string(i)));
  }
  const auto comparison = compare_runs(entries(runs), {}, Settings{}).comparison;
  ASSERT_TRUE(comparison);
  EXPECT_EQ(comparison->settings.keys, std::vector<Key>{Key::label});
  ASSERT_EQ(comparison->groups.size(), 3U);
  EXPECT_TRUE(comparison->groups[0].base);
  EXPECT_EQ(comparison->groups[0].name, "gcc-12");
  const GroupResult &newer = comparison->groups[1];
  EXPECT_NEAR(*newer.change_percent, 10.0, 1e-9);
  EXPECT_TRUE(newer.significant);
  EXPECT_FALSE(newer.records_needed);
  // Three records are never judged, however far apart.
  const GroupResult &few = comparison->groups[2];
  EXPECT_FALSE(few.enough_records);
  EXPECT_FALSE(few.significant);
  EXPECT_TRUE(few.steady.low_high_is_range);
  EXPECT_EQ(*few.records_needed, 4U);
}

TEST(CompareRuns, LeavesOutFailedSelfChecksAndCountsACopiedRecordOnce) {
  std::vector<record::RecordedRun> runs = {run("alpha", 100.0), run("alpha", 100.0), run("alpha", 90.0)};
  runs[2].self_check_passed = false;
  const auto comparison =
      compare_runs(entries(runs), {{"gone.json", "it does not exist"}}, Settings{}).comparison;
  ASSERT_TRUE(comparison);
  EXPECT_EQ(comparison->duplicates, 1U);
  ASSERT_EQ(comparison->groups.size(), 1U);
  EXPECT_EQ(comparison->groups[0].records.size(), 1U);
  ASSERT_EQ(comparison->excluded.size(), 3U);
  EXPECT_EQ(comparison->excluded[0].source, "gone.json");
  EXPECT_EQ(comparison->excluded[1].reason, "the same run as runs.json, record 1, counted once");
  EXPECT_EQ(comparison->excluded[2].reason, "its self-check failed, so its figures are not the workload's");
}

TEST(CompareRuns, FindsTheSlowHostOfEachStratumLargeEnoughToJudge) {
  std::vector<record::RecordedRun> runs;
  for (const double steady : {100.0, 101.0, 99.0, 100.5, 99.5, 80.0}) {
    runs.push_back(run("node" + std::to_string(runs.size() + 1), steady));
  }
  // A stratum of its own (another build) with too few hosts to judge.
  for (int i = 0; i < 3; ++i) {
    runs.push_back(run("other" + std::to_string(i), i == 0 ? 50.0 : 100.0));
    runs.back().compiler_version = record::Text("13.1.0");
  }
  const auto comparison = compare_runs(entries(runs), {}, Settings{.fleet = true}).comparison;
  ASSERT_TRUE(comparison);
  ASSERT_EQ(comparison->hosts.size(), 9U);
  EXPECT_EQ(comparison->slow_hosts, std::vector<std::string>{"node6"});
  EXPECT_EQ(comparison->hosts[5].verdict, Verdict::slow);
  // The stratum's median is 99.75, midway between its two middle hosts.
  EXPECT_NEAR(*comparison->hosts[5].deficit_percent, (1.0 - 80.0 / 99.75) * 100.0, 1e-9);
  EXPECT_EQ(comparison->hosts[6].verdict, Verdict::unjudged);
  // The groups, a host each, are not judged against the first of them: each
  // shows its host's verdict.
  ASSERT_EQ(comparison->groups.size(), 9U);
  for (std::size_t host = 0; host < 9; ++host) {
    EXPECT_EQ(comparison->groups[host].verdict, comparison->hosts[host].verdict) << host;
    EXPECT_FALSE(comparison->groups[host].base || comparison->groups[host].p_value) << host;
  }
  // Each stratum once, with what its hosts are judged by, and its hosts.
  ASSERT_EQ(comparison->strata.size(), 2U);
  const compare::Stratum &judged = comparison->strata[0];
  EXPECT_EQ(judged.hosts, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(judged.median, 99.75);
  EXPECT_EQ(judged.median_absolute_deviation, 0.75);
  EXPECT_NEAR(judged.slow_threshold, 99.75 * 0.95, 1e-9);
  EXPECT_TRUE(judged.unjudged_because.empty());
  EXPECT_EQ(comparison->hosts[6].stratum, 1U);
  EXPECT_TRUE(std::isnan(comparison->strata[1].slow_threshold));
  EXPECT_EQ(comparison->strata[1].unjudged_because, "only 3 hosts, fewer than 5");
}

TEST(CompareRuns, RefusesABaseThatNamesNoGroupItKept) {
  // gamma's only record failed its self-check: it forms no group to be
  // judged against, and the groups named are those that were.
  std::vector<record::RecordedRun> runs = {run("alpha", 1.0), run("beta", 2.0), run("gamma", 3.0)};
  runs[2].self_check_passed = false;
  const Compared refused = compare_runs(entries(runs), {}, Settings{}, "gamma");
  EXPECT_FALSE(refused.comparison);
  EXPECT_EQ(refused.group_names, (std::vector<std::string>{"alpha", "beta"}));
  const auto named = compare_runs(entries(runs), {}, Settings{}, "beta").comparison;
  ASSERT_TRUE(named);
  EXPECT_EQ(named->groups[0].name, "beta");
}

} // namespace

namespace {

struct NamingCase {
  const char *name;
  std::vector<record::RecordedRun> runs;
  std::vector<std::string> groups;
};

void PrintTo(const NamingCase &naming, std::ostream *out) { *out << naming.name; }

record::RecordedRun labelled(std::optional<std::string> label, std::string host) {
  static int started = 0;
  record::RecordedRun each = run(std::move(host), 100.0, "", "run " + std::to_string(++started));
  each.label = label ? std::optional<record::Text>(record::Text(*label)) : std::nullopt;
  return each;
}

class GroupNames : public ::testing::TestWithParam<NamingCase> {};

// Records that differ form groups that differ, and no two groups read alike.
TEST_P(GroupNames, AreTheKeysValuesAndReadOneWayOnly) {
  const auto comparison = compare_runs(entries(GetParam().runs), {}, Settings{}).comparison;
  ASSERT_TRUE(comparison);
  std::vector<std::string> names;
  for (const GroupResult &group : comparison->groups) {
    names.push_back(group.name);
  }
  EXPECT_EQ(names, GetParam().groups);
}

INSTANTIATE_TEST_SUITE_P(Collisions, GroupNames,
                         ::testing::Values(NamingCase{"no label, and a label that reads so",
                                                      {labelled(std::nullopt, "alpha"),
                                                       labelled("no label", "alpha"),
                                                       labelled("No Label", "alpha")},
                                                      {"no label", "\"no label\"", "\"No Label\""}},
                                           NamingCase{"the separator in a value",
                                                      {labelled("a, b", "c"), labelled("a", "b, c")},
                                                      {"\"a, b\", c", "a, \"b, c\""}},
                                           NamingCase{"quotes, an empty label and spaces at its ends",
                                                      {labelled("say \"hi\"", "h"), labelled("", "h"),
                                                       labelled(" x", "h"), labelled("-O3", "h")},
                                                      {"\"say \"\"hi\"\"\"", "\"\"", "\" x\"", "-O3"}}));

TEST(Strata, AreTheirFieldsNotTheirNames) {
  // A processor model that holds what its count would add is another
  // stratum, and is named apart.
  std::vector<record::RecordedRun> runs = {run("a", 100.0), run("b", 101.0)};
  runs[1].processor_model = record::Text("AMD EPYC, 2 processors");
  runs[1].processors = 0;
  const auto comparison = compare_runs(entries(runs), {}, Settings{.fleet = true}).comparison;
  ASSERT_TRUE(comparison);
  ASSERT_EQ(comparison->strata.size(), 2U);
  EXPECT_EQ(comparison->strata[0].name, "AMD EPYC, 2 processors; g++ 12.2.0, -O2, x86-64; one process");
  EXPECT_EQ(comparison->strata[1].name, "\"AMD EPYC, 2 processors\"; g++ 12.2.0, -O2, x86-64; one process");
}

} // namespace

namespace {

TEST(CompareRuns, GivesTheVerdictInTheTestsDirectionAndSaysWhereTheMediansReadOtherwise) {
  // Every record of the other group is at least the base's, but the medians
  // are equal: the group is faster, and the note says by what shift.
  std::vector<record::RecordedRun> runs;
  for (int i = 0; i < 19; ++i) {
    runs.push_back(run("h", i < 9 ? 9000.0 : 10000.0, "base", "b" + std::to_string(i)));
    runs.push_back(run("h", i < 10 ? 10000.0 : 11000.0, "other", "o" + std::to_string(i)));
  }
  const auto comparison = compare_runs(entries(runs), {}, Settings{}).comparison;
  ASSERT_TRUE(comparison);
  const GroupResult &other = comparison->groups[1];
  EXPECT_EQ(other.verdict, Verdict::faster);
  EXPECT_NEAR(*other.change_percent, 0.0, 1e-12);
  const compare_output::Tables tables = compare_output::comparison_tables(*comparison);
  ASSERT_EQ(tables.notes.size(), 1U);
  EXPECT_NE(tables.notes[0].find(
                "other: its median differs from the base's by +0.00 %, but its records lie +10.00 %"),
            std::string::npos)
      << tables.notes[0];
}

} // namespace
