#pragma once

#include "history/series.h"
#include "statistics/change_points.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A series' trend: its levels and the changes between them.
namespace history {

struct TrendSettings {
  double min_change_percent = 2.0; // a smaller change between two levels is no change
  statistics::ChangePointSettings change_points{};
  // A run said to start after this time (as started_at gives it) is from a
  // machine whose clock is wrong: it is left out. Empty for no bound.
  std::string future_after{};
};

// A stretch of a series' runs at one level.
struct Segment {
  std::size_t first = 0; // the index of its first run in the series
  std::size_t last = 0;  // of its last
  std::size_t runs = 0;  // the runs it counts, those left out not among them
  double median = 0.0;   // of their steady figures
};

struct Change {
  std::size_t run = 0;   // the index in the series of the first run at the new level
  double percent = 0.0;  // the new level's median against the old one's, (new / old - 1) x 100
  double p_value = 1.0;
};

struct Trend {
  std::vector<Segment> segments{}; // in time order; none when every run was left out
  std::vector<Change> changes{};   // one between each two segments
  std::vector<bool> left_out{};    // per run of the series
};

// The runs whose figures a trend does not count: those whose arithmetic was
// not the workload's, and those that carry a warning (another program took
// their processor, their speed changed as they ran, ...), whose figure says
// what happened to the run rather than to the machine; they are drawn, but
// neither make a change nor hide one. Where most of a series' runs carry a
// warning, the warning is the series' own (passes too short to judge,
// copies that share processors) and its runs count as any others. Runs
// after `future_after` (TrendSettings) are left out too.
std::vector<bool> left_out_of_trend(std::span<const StoredRun> runs, std::string_view future_after = {});

// Whether a run started after the bound; never with no bound.
bool in_future(const StoredRun &run, std::string_view future_after);

// The runs must be in time order. Changes are found among the runs that
// count (statistics::change_points); then, as long as any change between
// two neighbouring levels is smaller than min_change_percent, the smallest
// goes and its two levels become one.
Trend trend_of(std::span<const StoredRun> runs, const TrendSettings &settings = {});

} // namespace history
