// Runs grouped by what differs among them, each group judged against the
// base, and each host of a fleet against its peers.

#include "compare/compare_runs.h"

#include <gtest/gtest.h>

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
                          .started_at = record::Text(started.empty() ? std::to_string(steady) : started),
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
  const auto comparison = compare_runs(entries(runs), {}, Settings{});
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
  const auto comparison = compare_runs(entries(runs), {{"gone.json", "it does not exist"}}, Settings{});
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
  const auto comparison = compare_runs(entries(runs), {}, Settings{.fleet = true});
  ASSERT_TRUE(comparison);
  ASSERT_EQ(comparison->hosts.size(), 9U);
  EXPECT_EQ(comparison->slow_hosts, std::vector<std::string>{"node6"});
  EXPECT_EQ(comparison->hosts[5].verdict, FleetVerdict::slow);
  // The stratum's median is 99.75, midway between its two middle hosts.
  EXPECT_NEAR(*comparison->hosts[5].deficit_percent, (1.0 - 80.0 / 99.75) * 100.0, 1e-9);
  EXPECT_EQ(comparison->hosts[6].verdict, FleetVerdict::unjudged);
  EXPECT_EQ(comparison->hosts[6].unjudged_because, "only 3 hosts, fewer than 5");
}

TEST(CompareRuns, RefusesABaseThatNamesNoGroup) {
  EXPECT_FALSE(compare_runs(entries({run("alpha", 1.0), run("beta", 2.0)}), {}, Settings{}, "gamma"));
  const auto named = compare_runs(entries({run("alpha", 1.0), run("beta", 2.0)}), {}, Settings{}, "beta");
  ASSERT_TRUE(named);
  EXPECT_EQ(named->groups[0].name, "beta");
}

} // namespace
