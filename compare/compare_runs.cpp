#include "compare/compare_runs.h"

#include "compare/fleet_judgement.h"
#include "compare/group_comparison.h"
#include "compare/host_names.h"
#include "compare/keys.h"
#include "statistics/median.h"
#include "statistics/median_interval.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <tuple>

namespace compare {
namespace {

using Group = std::vector<const Entry *>;

std::vector<Key> grouping_keys(const std::vector<Entry> &entries, const Settings &settings) {
  if (!settings.keys.empty()) {
    return settings.keys;
  }
  if (settings.fleet) {
    return {Key::host};
  }
  std::vector<const record::RecordedRun *> runs;
  for (const Entry &entry : entries) {
    runs.push_back(&entry.run);
  }
  return runs.empty() ? std::vector<Key>{} : differing_keys(runs);
}

// The groups in the order their first run was given.
std::vector<std::pair<std::string, Group>> grouped(const std::vector<Entry> &entries,
                                                   const std::vector<Key> &keys) {
  std::vector<std::pair<std::string, Group>> groups;
  std::map<std::string, std::size_t> index;
  for (const Entry &entry : entries) {
    const std::string name = group_name(entry.run, keys);
    const auto [at, added] = index.emplace(name, groups.size());
    if (added) {
      groups.push_back({name, {}});
    }
    groups[at->second].second.push_back(&entry);
  }
  return groups;
}

// Runs whose arithmetic was not the workload's, and copies of runs already
// given (the same file twice, say), are left out and listed.
std::vector<Entry> comparable(std::vector<Entry> entries, std::vector<ExcludedRecord> &excluded,
                              std::size_t &duplicates) {
  std::vector<Entry> kept;
  std::map<std::tuple<record::Text, record::StartTime, double, double>, record::Source> seen;
  for (Entry &entry : entries) {
    const record::RecordedRun &run = entry.run;
    if (!run.self_check_passed) {
      excluded.push_back({record::source_name(entry.source),
                          "its self-check failed, so its figures are not the workload's"});
      continue;
    }
    const auto [at, added] =
        seen.emplace(std::make_tuple(run.host_name, run.started_at, run.rate, run.steady), entry.source);
    if (!added) {
      ++duplicates;
      excluded.push_back({record::source_name(entry.source),
                          "the same run as " + record::source_name(at->second) + ", counted once"});
      continue;
    }
    kept.push_back(std::move(entry));
  }
  return kept;
}

std::vector<double> steady_figures(const Group &group) {
  std::vector<double> figures;
  for (const Entry *entry : group) {
    figures.push_back(entry->run.steady);
  }
  return figures;
}

double sustain(const record::RecordedRun &run) { return run.rate / run.steady; }

Spread spread(const std::vector<double> &figures) {
  const auto [min, max] = std::minmax_element(figures.begin(), figures.end());
  Spread spread{.median = statistics::median(figures),
                .low = *min,
                .high = *max,
                .low_high_is_range = true,
                .min = *min,
                .max = *max};
  if (const auto interval = statistics::median_interval(figures, interval_confidence)) {
    spread.low = interval->low;
    spread.high = interval->high;
    spread.low_high_is_range = false;
  }
  return spread;
}

bool disturbed(const record::RecordedRun &run) { return run.disturbances > 0; }

bool mostly_disturbed(const GroupResult &group) {
  return static_cast<double>(group.disturbed) >
         most_disturbed_share * static_cast<double>(group.records.size());
}

GroupResult summary(const std::string &name, const Group &group) {
  GroupResult result{.name = name};
  std::vector<double> rates;
  std::vector<double> sustains;
  for (const Entry *entry : group) {
    const record::RecordedRun &run = entry->run;
    const bool warned = run.warnings > 0;
    result.records.push_back({.source = record::source_name(entry->source),
                              .steady = run.steady,
                              .rate = run.rate,
                              .sustain = sustain(run),
                              .warned = warned});
    rates.push_back(run.rate);
    sustains.push_back(sustain(run));
    result.warned += warned ? 1 : 0;
    result.disturbed += disturbed(run) ? 1 : 0;
  }
  result.steady = spread(steady_figures(group));
  result.rate_median = statistics::median(rates);
  result.sustain_median = statistics::median(sustains);
  return result;
}

// The verdict follows the test: its direction, never the medians'.
Verdict verdict_of(const GroupResult &group) {
  if (!group.enough_records) {
    return Verdict::too_few;
  }
  if (!group.could_be_significant) {
    return Verdict::too_few_to_tell;
  }
  if (group.only_ties_differ) {
    return Verdict::only_ties_differ;
  }
  if (!group.significant || group.direction == Direction::neither) {
    return Verdict::no_change;
  }
  return group.direction == Direction::faster ? Verdict::faster : Verdict::slower;
}

void judge_against(GroupResult &result, const Group &group, const Group &base, double alpha) {
  const GroupComparison comparison = compare_with_base(steady_figures(base), steady_figures(group), alpha);
  if (std::isfinite(comparison.change_percent)) {
    result.change_percent = comparison.change_percent;
  }
  if (comparison.test.method != statistics::UTestMethod::none) {
    result.p_value = comparison.test.p_value;
  }
  result.p_exact = comparison.test.method == statistics::UTestMethod::exact;
  result.direction = comparison.direction;
  if (std::isfinite(comparison.shift_percent)) {
    result.shift_percent = comparison.shift_percent;
  }
  if (comparison.shift_interval && std::isfinite(comparison.shift_interval->low_percent) &&
      std::isfinite(comparison.shift_interval->high_percent)) {
    result.shift_low_percent = comparison.shift_interval->low_percent;
    result.shift_high_percent = comparison.shift_interval->high_percent;
    result.shift_interval_exact = comparison.shift_interval->exact;
  }
  result.enough_records = comparison.enough_records;
  result.could_be_significant = comparison.could_be_significant;
  result.significant = comparison.significant;
  result.only_ties_differ = comparison.only_ties_differ;
  result.records_needed = comparison.records_needed;
  result.verdict = verdict_of(result);
}

std::vector<GroupResult> group_results(const std::vector<std::pair<std::string, Group>> &groups,
                                       std::size_t base, double alpha) {
  std::vector<GroupResult> results{summary(groups[base].first, groups[base].second)};
  results.front().base = true;
  results.front().verdict = Verdict::base;
  results.front().rests_on_disturbed_runs = mostly_disturbed(results.front());
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (i != base) {
      results.push_back(summary(groups[i].first, groups[i].second));
      judge_against(results.back(), groups[i].second, groups[base].second, alpha);
      results.back().rests_on_disturbed_runs =
          mostly_disturbed(results.back()) || mostly_disturbed(results.front());
    }
  }
  return results;
}

// A fleet's groups are not judged against one of them: its hosts are judged
// against their strata, and a group that is a host takes its verdict.
std::vector<GroupResult> fleet_groups(const std::vector<std::pair<std::string, Group>> &groups,
                                      const std::vector<Key> &keys, const std::vector<HostResult> &hosts) {
  std::vector<GroupResult> results;
  for (const auto &[name, group] : groups) {
    results.push_back(summary(name, group));
    if (keys == std::vector<Key>{Key::host}) {
      const std::string host_name = group.front()->run.host_name.str();
      const auto host = std::find_if(hosts.begin(), hosts.end(),
                                     [&](const HostResult &each) { return each.host == host_name; });
      if (host != hosts.end()) {
        results.back().verdict = host->verdict;
      }
    }
  }
  return results;
}

double lowest_share(const Group &records) {
  double lowest = std::numeric_limits<double>::quiet_NaN();
  for (const Entry *entry : records) {
    const double share = entry->run.lowest_processor_share;
    if (std::isnan(lowest) || share < lowest) {
      lowest = share;
    }
  }
  return lowest;
}

HostResult host_result(const std::string &host, std::size_t stratum, const Group &records) {
  std::vector<double> sustains;
  std::size_t warnings = 0;
  for (const Entry *entry : records) {
    sustains.push_back(sustain(entry->run));
    warnings += entry->run.warnings;
  }
  return {.host = host,
          .stratum = stratum,
          .records = records.size(),
          .steady = statistics::median(steady_figures(records)),
          .lowest_processor_share = lowest_share(records),
          .sustain = statistics::median(sustains),
          .warnings = warnings};
}

// Each host's median against its stratum's hosts. A host whose records name
// no host cannot stand for a machine of the fleet, and is listed instead.
void judge_fleet(const std::vector<Entry> &entries, double slow_fraction, Comparison &comparison,
                 std::vector<ExcludedRecord> &excluded) {
  std::vector<std::pair<KeyFields, std::string>> strata; // each stratum's identity and name
  std::map<KeyFields, std::map<std::string, Group>> hosts_by_stratum;
  for (const Entry &entry : entries) {
    if (entry.run.host_name.empty()) {
      excluded.push_back({record::source_name(entry.source),
                          "it names no host (it was written before records kept host names)"});
      continue;
    }
    KeyFields stratum = stratum_fields(entry.run);
    if (!hosts_by_stratum.count(stratum)) {
      strata.push_back({stratum, stratum_of(entry.run)});
    }
    hosts_by_stratum[std::move(stratum)][entry.run.host_name.str()].push_back(&entry);
  }
  for (const auto &[fields, name] : strata) {
    Stratum stratum{.name = name};
    std::vector<double> rates;
    for (const auto &[host, records] : hosts_by_stratum[fields]) {
      stratum.hosts.push_back(comparison.hosts.size());
      comparison.hosts.push_back(host_result(host, comparison.strata.size(), records));
      rates.push_back(comparison.hosts.back().steady);
    }
    const StratumJudgement judgement = judge_stratum(rates, slow_fraction);
    stratum.median = judgement.median;
    stratum.median_absolute_deviation = judgement.median_absolute_deviation;
    stratum.slow_threshold = judgement.slow_threshold;
    stratum.unjudged_because = judgement.unjudged_because;
    for (std::size_t i = 0; i < rates.size(); ++i) {
      HostResult &host = comparison.hosts[stratum.hosts[i]];
      const HostJudgement &judged = judgement.hosts[i];
      if (std::isfinite(judged.deficit)) {
        host.deficit_percent = judged.deficit * 100.0;
      }
      host.modified_z = judged.z;
      host.verdict = judged.verdict;
    }
    comparison.strata.push_back(std::move(stratum));
  }
}

void list_slow_hosts(Comparison &comparison) {
  for (const HostResult &host : comparison.hosts) {
    std::vector<std::string> &list =
        is_plain_host_name(host.host) ? comparison.slow_hosts : comparison.slow_hosts_apart;
    if (host.verdict == Verdict::slow && std::find(list.begin(), list.end(), host.host) == list.end()) {
      list.push_back(host.host);
    }
  }
}

} // namespace

std::size_t fewest_records_for_interval() {
  std::vector<double> figures;
  while (figures.size() < 1000) {
    figures.push_back(static_cast<double>(figures.size()));
    if (statistics::median_interval(figures, interval_confidence)) {
      return figures.size();
    }
  }
  return figures.size();
}

Compared compare_runs(std::vector<Entry> entries, std::vector<ExcludedRecord> excluded,
                      const Settings &settings, std::string_view base_name) {
  Comparison comparison{.settings = settings};
  const std::vector<Entry> kept = comparable(std::move(entries), excluded, comparison.duplicates);
  comparison.settings.keys = grouping_keys(kept, settings);
  const auto groups = grouped(kept, comparison.settings.keys);
  Compared compared;
  for (const auto &[name, group] : groups) {
    compared.group_names.push_back(name);
  }
  std::size_t base = 0;
  if (!base_name.empty()) {
    const auto named = std::find(compared.group_names.begin(), compared.group_names.end(), base_name);
    if (named == compared.group_names.end()) {
      return compared;
    }
    base = static_cast<std::size_t>(named - compared.group_names.begin());
  }
  if (settings.fleet) {
    judge_fleet(kept, settings.slow_percent / 100.0, comparison, excluded);
    list_slow_hosts(comparison);
    comparison.groups = fleet_groups(groups, comparison.settings.keys, comparison.hosts);
  } else if (!groups.empty()) {
    comparison.groups = group_results(groups, base, settings.alpha);
  }
  comparison.excluded = std::move(excluded);
  compared.comparison = std::move(comparison);
  return compared;
}

} // namespace compare
