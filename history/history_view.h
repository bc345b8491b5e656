#pragma once

#include "compare/comparison.h"
#include "compare/keys.h"
#include "history/series.h"
#include "history/trend.h"

#include <cstddef>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

// What `megawhets history` found, as data: every output (the table, its
// Markdown, CSV and JSON forms, the page) presents this and computes
// nothing.
namespace history {

struct ViewSettings {
  // What makes a series: by default every key, so that a series is one
  // host's runs with one processor, build, copies and label. Fewer keys let
  // a series run across what the others name (--by host: a host's runs
  // through its compiler's releases).
  std::vector<compare::Key> keys = std::vector<compare::Key>(std::begin(compare::all_keys), std::end(compare::all_keys));
  TrendSettings trend{};
  bool fleet = false;
  double slow_percent = 5.0; // with fleet: how far below its stratum a host's latest level must be
  long recent_days = 30;     // a change this close to the newest run is recent
};

// A change as its line reads: "node-0042: -6.1 % from 2026-03-03 (run 17
// of 40), p = 0.005".
struct ChangeLine {
  std::string series{};     // the series' name
  double percent = 0.0;
  std::string started_at{}; // of the first run at the new level
  std::size_t run = 0;      // its number in the series, from 1
  std::size_t runs = 0;     // the series' runs
  double p_value = 1.0;
  bool recent = false;       // within recent_days of the newest run
  bool of_stratum = false;   // one of a change many hosts of its stratum made at once
};

struct SeriesView {
  std::vector<Series> parts{}; // the store's series it is made of: one unless --by names fewer keys
  std::string name{};
  record::RecordedRun identity{}; // its keys, from its latest run
  std::string stratum{};          // processor, build and copies, as compare --fleet names them
  std::size_t runs = 0;
  std::size_t left_out = 0; // runs a trend does not count (trend.h)
  std::string first{};      // started_at of its first and last runs
  std::string last{};
  std::vector<Segment> segments{};
  std::vector<ChangeLine> changes{};
  double level = 0.0; // the latest segment's median; not a number with no segment
  // With fleet: the latest level judged against the stratum's hosts' latest
  // levels, as compare --fleet judges hosts.
  compare::Verdict verdict = compare::Verdict::unjudged;
  std::optional<double> deficit_percent{};
  std::optional<double> modified_z{};
  std::string unjudged_because{};
};

// A change that many hosts of a stratum made at about the same time, such as
// a kernel or microcode update, said once for all of them.
struct StratumChange {
  std::string stratum{};
  double percent = 0.0;     // the median of the hosts' changes
  std::string started_at{}; // the earliest of them
  std::vector<std::string> series{}; // the series that made it
  std::size_t stratum_series = 0;    // of the stratum's series
  bool recent = false;
};

struct HistoryView {
  ViewSettings settings{};
  std::vector<SeriesView> series{};
  std::vector<StratumChange> stratum_changes{}; // with fleet
  std::string newest{};       // the latest run's started_at, of those not in the future
  std::size_t runs = 0;
  // Runs after settings.trend.future_after, left out of the trends and of
  // what is recent: how many, and the first few, as "SERIES at STARTED_AT".
  std::size_t future_runs = 0;
  std::vector<std::string> future_examples{};
};

// Where the view reads series from: the store, or a test's own.
struct SeriesSource {
  std::function<std::vector<Series>()> series;
  std::function<std::vector<StoredRun>(const Series &)> runs;
};

// Changes of a stratum's series at most this many days apart, or as far
// apart as the series' runs, are one change (history_view.cpp).
inline constexpr long stratum_change_days = 3;
// A stratum's change is one that at least this many of its series made, and
// at least half of them.
inline constexpr std::size_t fewest_series_in_stratum_change = 3;

// Reads one series at a time, so that memory is bounded by the longest
// series and the count of series, never by the runs of all of them.
HistoryView history_view(const SeriesSource &source, const ViewSettings &settings);

// The series' runs in time order, read again from the source, as the view
// read them; for drawing them, one series at a time.
std::vector<StoredRun> runs_of(const SeriesSource &source, const SeriesView &series);

// Whether --strict fails: a recent change, or with fleet a slow host.
bool strict_failure(const HistoryView &view);

// Whether a series changed recently or (with fleet) is slow: what a reader
// is to look at first.
bool is_flagged(const SeriesView &series);

// The series that changed recently or (with fleet) are slow, in the view's
// order.
std::vector<std::string> flagged_series(const HistoryView &view);

// Their hosts, each once, for a line that a scheduler's command takes as a
// list of nodes: only names made of what host names are made of, so a
// series that holds a label or a build never adds a node that is not one.
std::vector<std::string> flagged_hosts(const HistoryView &view);

} // namespace history
