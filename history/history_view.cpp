#include "history/history_view.h"

#include "compare/fleet_judgement.h"
#include "compare/host_names.h"
#include "history/run_time.h"
#include "statistics/median.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace history {
namespace {

using compare::Key;

std::string key_of(const record::RecordedRun &identity, const std::vector<Key> &keys) {
  std::string key;
  for (const Key k : keys) {
    // A value holds no NUL byte that a record could not also put in another
    // value's place, so each is prefixed by its length.
    const std::string value = compare::key_value(identity, k);
    key += std::to_string(value.size()) + ":" + value;
  }
  return key;
}

// The host, and the keys that tell apart the series of one host (or, where
// the series are not made by host, the keys that differ among them), so
// that every name says whose runs it follows, and no more.
std::vector<Key> naming_keys(const std::vector<std::vector<Series>> &groups, const std::vector<Key> &keys) {
  const bool by_host = std::find(keys.begin(), keys.end(), Key::host) != keys.end();
  std::vector<Key> naming;
  if (by_host) {
    naming.push_back(Key::host);
  }
  for (const Key key : keys) {
    if (key == Key::host) {
      continue;
    }
    std::map<std::string, std::string> value_by_host;
    bool differs = false;
    for (const auto &group : groups) {
      const record::RecordedRun &identity = group.front().identity;
      const std::string host = by_host ? compare::key_value(identity, Key::host) : std::string();
      const auto [at, added] = value_by_host.emplace(host, compare::key_value(identity, key));
      differs = differs || (!added && at->second != compare::key_value(identity, key));
    }
    if (differs) {
      naming.push_back(key);
    }
  }
  return naming;
}

std::string name_of(const record::RecordedRun &identity, const std::vector<Key> &naming) {
  if (naming.empty()) {
    return "all runs";
  }
  std::string name;
  for (const Key key : naming) {
    name += (name.empty() ? "" : ", ") + compare::key_value(identity, key);
  }
  return name;
}

// The store's series grouped by the view's keys, in the store's order.
std::vector<std::vector<Series>> grouped(std::vector<Series> all, const std::vector<Key> &keys) {
  std::vector<std::vector<Series>> groups;
  std::map<std::string, std::size_t> index;
  for (Series &series : all) {
    const auto [at, added] = index.emplace(key_of(series.identity, keys), groups.size());
    if (added) {
      groups.emplace_back();
    }
    groups[at->second].push_back(std::move(series));
  }
  return groups;
}

// The group's runs in time order, and the identity of the series that ran
// the latest of them.
std::vector<StoredRun> merged_runs(const SeriesSource &source, const std::vector<Series> &group,
                                   record::RecordedRun &latest_identity) {
  std::vector<StoredRun> runs;
  std::string latest;
  for (const Series &series : group) {
    std::vector<StoredRun> more = source.runs(series);
    if (!more.empty() && (runs.empty() || more.back().started_at >= latest)) {
      latest = more.back().started_at;
      latest_identity = series.identity;
    }
    const auto middle = static_cast<std::ptrdiff_t>(runs.size());
    runs.insert(runs.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    std::inplace_merge(runs.begin(), runs.begin() + middle, runs.end(),
                       [](const StoredRun &a, const StoredRun &b) { return a.started_at < b.started_at; });
  }
  if (runs.empty()) {
    latest_identity = group.front().identity;
  }
  return runs;
}

SeriesView series_view(std::string name, const record::RecordedRun &identity, const std::vector<StoredRun> &runs,
                       const TrendSettings &settings) {
  const Trend trend = trend_of(runs, settings);
  SeriesView view{.name = std::move(name),
                  .identity = identity,
                  .stratum = compare::stratum_of(identity),
                  .runs = runs.size(),
                  .left_out = static_cast<std::size_t>(std::count(trend.left_out.begin(), trend.left_out.end(), true)),
                  .first = runs.empty() ? std::string() : runs.front().started_at,
                  .last = runs.empty() ? std::string() : runs.back().started_at,
                  .segments = trend.segments,
                  .level = trend.segments.empty() ? std::numeric_limits<double>::quiet_NaN()
                                                  : trend.segments.back().median};
  for (const Change &change : trend.changes) {
    view.changes.push_back({.series = view.name,
                            .percent = change.percent,
                            .started_at = runs[change.run].started_at,
                            .run = change.run + 1,
                            .runs = runs.size(),
                            .p_value = change.p_value});
  }
  return view;
}

// One machine's wrong clock must not move what is recent for every other:
// its runs are said, and the newest run is the newest of the rest.
void note_future_runs(HistoryView &view, const std::vector<StoredRun> &runs) {
  constexpr std::size_t examples_kept = 5;
  const std::string &future_after = view.settings.trend.future_after;
  for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
    if (!in_future(*run, future_after)) {
      view.newest = std::max(view.newest, run->started_at);
      break;
    }
    if (++view.future_runs <= examples_kept) {
      view.future_examples.push_back(view.series.back().name + " at " + run->started_at);
    }
  }
}

void mark_recent(HistoryView &view) {
  const auto newest = day_number(view.newest);
  const auto recent = [&](const std::string &started_at) {
    const auto day = day_number(started_at);
    return newest && day && *day >= *newest - view.settings.recent_days;
  };
  for (SeriesView &series : view.series) {
    for (ChangeLine &change : series.changes) {
      change.recent = recent(change.started_at);
    }
  }
  for (StratumChange &change : view.stratum_changes) {
    change.recent = recent(change.started_at);
  }
}

// Each series' latest level against those of its stratum, as compare
// --fleet judges each host's median against its peers'.
void judge_latest_levels(HistoryView &view, const std::map<std::string, std::vector<std::size_t>> &strata) {
  for (const auto &[stratum, members] : strata) {
    std::vector<double> levels;
    std::vector<std::size_t> judged;
    for (const std::size_t s : members) {
      if (std::isfinite(view.series[s].level)) {
        levels.push_back(view.series[s].level);
        judged.push_back(s);
      }
    }
    if (levels.empty()) {
      continue;
    }
    const compare::StratumJudgement judgement = compare::judge_stratum(levels, view.settings.slow_percent / 100.0,
                                                                           {.one = "series", .many = "series"});
    for (std::size_t i = 0; i < judged.size(); ++i) {
      SeriesView &series = view.series[judged[i]];
      const compare::HostJudgement &host = judgement.hosts[i];
      series.verdict = host.verdict;
      if (std::isfinite(host.deficit)) {
        series.deficit_percent = host.deficit * 100.0;
      }
      series.modified_z = host.z;
      series.unjudged_because = judgement.unjudged_because;
    }
  }
}

struct DatedChange {
  long day;
  long reach; // how far in days another change may be and still be the same one
  std::size_t series;
  std::size_t change;
};

// A change found at a run happened between the run before and that run:
// for a host that runs monthly, a month either way is the same time.
long reach_of(const SeriesView &series) {
  const auto first = day_number(series.first);
  const auto last = day_number(series.last);
  long spacing = 0;
  if (first && last && series.runs > 1) {
    const long runs_between = static_cast<long>(series.runs) - 1;
    spacing = (*last - *first + runs_between - 1) / runs_between;
  }
  return std::max(stratum_change_days, spacing);
}

// Changes of one direction, in day order, that follow one another by at
// most stratum_change_days: a change that many of the stratum's series made
// at once.
void find_stratum_changes(HistoryView &view, const std::string &stratum, const std::vector<std::size_t> &members) {
  const std::size_t needed = std::max(fewest_series_in_stratum_change, (members.size() + 1) / 2);
  for (const bool slower : {true, false}) {
    std::vector<DatedChange> dated;
    for (const std::size_t s : members) {
      const SeriesView &series = view.series[s];
      for (std::size_t c = 0; c < series.changes.size(); ++c) {
        const auto day = day_number(series.changes[c].started_at);
        if (day && (series.changes[c].percent < 0.0) == slower) {
          dated.push_back({*day, reach_of(series), s, c});
        }
      }
    }
    std::stable_sort(dated.begin(), dated.end(), [](const DatedChange &a, const DatedChange &b) { return a.day < b.day; });
    for (std::size_t start = 0; start < dated.size();) {
      std::size_t end = start + 1;
      while (end < dated.size() &&
             dated[end].day - dated[end - 1].day <= std::max(dated[end].reach, dated[end - 1].reach)) {
        ++end;
      }
      std::vector<std::size_t> series;
      for (std::size_t k = start; k < end; ++k) {
        if (std::find(series.begin(), series.end(), dated[k].series) == series.end()) {
          series.push_back(dated[k].series);
        }
      }
      if (series.size() >= needed) {
        StratumChange change{.stratum = stratum,
                             .started_at = view.series[dated[start].series].changes[dated[start].change].started_at,
                             .stratum_series = members.size()};
        std::vector<double> percents;
        for (std::size_t k = start; k < end; ++k) {
          ChangeLine &line = view.series[dated[k].series].changes[dated[k].change];
          line.of_stratum = true;
          percents.push_back(line.percent);
        }
        std::sort(series.begin(), series.end());
        for (const std::size_t s : series) {
          change.series.push_back(view.series[s].name);
        }
        change.percent = statistics::median(percents);
        view.stratum_changes.push_back(std::move(change));
      }
      start = end;
    }
  }
}

} // namespace

HistoryView history_view(const SeriesSource &source, const ViewSettings &settings) {
  HistoryView view{.settings = settings};
  const std::vector<std::vector<Series>> groups = grouped(source.series(), settings.keys);
  const std::vector<Key> naming = naming_keys(groups, settings.keys);
  std::map<std::string, std::vector<std::size_t>> strata;
  for (const std::vector<Series> &group : groups) {
    record::RecordedRun identity;
    const std::vector<StoredRun> runs = merged_runs(source, group, identity);
    if (runs.empty()) {
      continue;
    }
    view.series.push_back(series_view(name_of(group.front().identity, naming), identity, runs, settings.trend));
    view.series.back().parts = group;
    view.runs += runs.size();
    note_future_runs(view, runs);
    strata[view.series.back().stratum].push_back(view.series.size() - 1);
  }
  if (settings.fleet) {
    judge_latest_levels(view, strata);
    for (const auto &[stratum, members] : strata) {
      find_stratum_changes(view, stratum, members);
    }
  }
  mark_recent(view);
  return view;
}

std::vector<StoredRun> runs_of(const SeriesSource &source, const SeriesView &series) {
  record::RecordedRun identity;
  return merged_runs(source, series.parts, identity);
}

bool is_flagged(const SeriesView &series) {
  const bool changed = std::any_of(series.changes.begin(), series.changes.end(),
                                   [](const ChangeLine &change) { return change.recent; });
  return changed || series.verdict == compare::Verdict::slow;
}

bool strict_failure(const HistoryView &view) { return !flagged_series(view).empty(); }

std::vector<std::string> flagged_series(const HistoryView &view) {
  std::vector<std::string> flagged;
  for (const SeriesView &series : view.series) {
    if (is_flagged(series)) {
      flagged.push_back(series.name);
    }
  }
  return flagged;
}

std::vector<std::string> flagged_hosts(const HistoryView &view) {
  std::vector<std::string> hosts;
  for (const SeriesView &series : view.series) {
    const std::string host = series.identity.host_name.str();
    if (is_flagged(series) && compare::is_plain_host_name(host) && std::ranges::find(hosts, host) == hosts.end()) {
      hosts.push_back(host);
    }
  }
  return hosts;
}

} // namespace history
