#include "compare/compare_runs.h"

#include "compare/group_comparison.h"
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

std::string group_name(const record::RecordedRun &run, const std::vector<Key> &keys) {
  if (keys.empty()) {
    return "all runs";
  }
  std::string name;
  for (const Key key : keys) {
    name += (name.empty() ? "" : ", ") + key_value(run, key);
  }
  return name;
}

// The groups in the order their first run was given.
std::vector<std::pair<std::string, Group>> grouped(const std::vector<Entry> &entries, const std::vector<Key> &keys) {
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
  std::map<std::tuple<record::Text, record::Text, double, double>, record::Source> seen;
  for (Entry &entry : entries) {
    const record::RecordedRun &run = entry.run;
    if (!run.self_check_passed) {
      excluded.push_back(
          {record::source_name(entry.source), "its self-check failed, so its figures are not the workload's"});
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
  Spread spread{.median = statistics::median(figures), .low = *min, .high = *max, .low_high_is_range = true, .min = *min,
                .max = *max};
  if (const auto interval = statistics::median_interval(figures)) {
    spread.low = interval->low;
    spread.high = interval->high;
    spread.low_high_is_range = false;
  }
  return spread;
}

GroupResult summary(const std::string &name, const Group &group) {
  GroupResult result{.name = name};
  std::vector<double> rates;
  std::vector<double> sustains;
  for (const Entry *entry : group) {
    const record::RecordedRun &run = entry->run;
    const bool warned = run.warnings > 0;
    result.records.push_back(
        {.source = record::source_name(entry->source),
         .steady = run.steady,
         .rate = run.rate,
         .sustain = sustain(run),
         .warned = warned});
    rates.push_back(run.rate);
    sustains.push_back(sustain(run));
    result.warned += warned ? 1 : 0;
  }
  result.steady = spread(steady_figures(group));
  result.rate_median = statistics::median(rates);
  result.sustain_median = statistics::median(sustains);
  return result;
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
}

std::vector<GroupResult> group_results(const std::vector<std::pair<std::string, Group>> &groups, std::size_t base,
                                       double alpha) {
  std::vector<GroupResult> results{summary(groups[base].first, groups[base].second)};
  results.front().base = true;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (i != base) {
      results.push_back(summary(groups[i].first, groups[i].second));
      judge_against(results.back(), groups[i].second, groups[base].second, alpha);
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

HostResult host_result(const std::string &host, const std::string &stratum, const Group &records) {
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
std::vector<HostResult> fleet_results(const std::vector<Entry> &entries, double slow_fraction,
                                      std::vector<ExcludedRecord> &excluded) {
  std::vector<std::string> strata;
  std::map<std::string, std::map<std::string, Group>> hosts_by_stratum;
  for (const Entry &entry : entries) {
    if (entry.run.host_name.empty()) {
      excluded.push_back({record::source_name(entry.source),
                          "it names no host (it was written before records kept host names)"});
      continue;
    }
    const std::string stratum = stratum_of(entry.run);
    if (!hosts_by_stratum.count(stratum)) {
      strata.push_back(stratum);
    }
    hosts_by_stratum[stratum][entry.run.host_name.str()].push_back(&entry);
  }
  std::vector<HostResult> results;
  for (const std::string &stratum : strata) {
    const std::size_t first = results.size();
    std::vector<double> rates;
    for (const auto &[host, records] : hosts_by_stratum[stratum]) {
      results.push_back(host_result(host, stratum, records));
      rates.push_back(results.back().steady);
    }
    const StratumJudgement judgement = judge_stratum(rates, slow_fraction);
    for (std::size_t i = 0; i < rates.size(); ++i) {
      HostResult &host = results[first + i];
      const HostJudgement &judged = judgement.hosts[i];
      host.stratum_median = judgement.median;
      if (std::isfinite(judged.deficit)) {
        host.deficit_percent = judged.deficit * 100.0;
      }
      host.modified_z = judged.z;
      host.verdict = judged.verdict;
      host.unjudged_because = judgement.unjudged_because;
    }
  }
  return results;
}

std::vector<std::string> slow_hosts(const std::vector<HostResult> &hosts) {
  std::vector<std::string> slow;
  for (const HostResult &host : hosts) {
    if (host.verdict == FleetVerdict::slow && std::find(slow.begin(), slow.end(), host.host) == slow.end()) {
      slow.push_back(host.host);
    }
  }
  return slow;
}

} // namespace

std::vector<std::string> group_names(const std::vector<Entry> &entries, const Settings &settings) {
  std::vector<std::string> names;
  for (const auto &[name, group] : grouped(entries, grouping_keys(entries, settings))) {
    names.push_back(name);
  }
  return names;
}

std::optional<Comparison> compare_runs(std::vector<Entry> entries, std::vector<ExcludedRecord> excluded,
                                       const Settings &settings, std::string_view base_name) {
  Comparison comparison{.settings = settings};
  const std::vector<Entry> kept = comparable(std::move(entries), excluded, comparison.duplicates);
  comparison.settings.keys = grouping_keys(kept, settings);
  const auto groups = grouped(kept, comparison.settings.keys);
  std::size_t base = 0;
  if (!base_name.empty()) {
    const auto named = std::find_if(groups.begin(), groups.end(), [&](const auto &g) { return g.first == base_name; });
    if (named == groups.end()) {
      return std::nullopt;
    }
    base = static_cast<std::size_t>(named - groups.begin());
  }
  if (!groups.empty()) {
    comparison.groups = group_results(groups, base, settings.alpha);
  }
  if (settings.fleet) {
    comparison.hosts = fleet_results(kept, settings.slow_percent / 100.0, excluded);
    comparison.slow_hosts = slow_hosts(comparison.hosts);
  }
  comparison.excluded = std::move(excluded);
  return comparison;
}

} // namespace compare
