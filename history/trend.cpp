#include "history/trend.h"

#include "statistics/median.h"

#include <cmath>
#include <string_view>

namespace history {
namespace {

bool has_kind(std::string_view kinds, std::string_view kind) {
  for (std::size_t start = 0; start <= kinds.size();) {
    const std::size_t comma = std::min(kinds.find(',', start), kinds.size());
    if (kinds.substr(start, comma - start) == kind) {
      return true;
    }
    start = comma + 1;
  }
  return false;
}

double level_change(const Segment &before, const Segment &after) { return (after.median / before.median - 1.0) * 100.0; }

// The segments between the change points, over the runs that count.
std::vector<Segment> segments_between(const std::vector<std::size_t> &counted, const std::vector<double> &figures,
                                      const std::vector<std::size_t> &bounds) {
  std::vector<Segment> segments;
  for (std::size_t s = 0; s + 1 < bounds.size(); ++s) {
    const std::span<const double> values(figures.data() + bounds[s], bounds[s + 1] - bounds[s]);
    segments.push_back({.first = counted[bounds[s]],
                        .last = counted[bounds[s + 1] - 1],
                        .runs = values.size(),
                        .median = statistics::median(values)});
  }
  return segments;
}

} // namespace

bool left_out_of_trend(const StoredRun &run) {
  return !run.self_check_passed || has_kind(run.warnings, "interference") || has_kind(run.warnings, "steadiness");
}

Trend trend_of(std::span<const StoredRun> runs, const TrendSettings &settings) {
  Trend trend;
  std::vector<std::size_t> counted; // the series' index of each run that counts
  std::vector<double> figures;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const bool out = left_out_of_trend(runs[i]) || !std::isfinite(runs[i].steady);
    trend.left_out.push_back(out);
    if (!out) {
      counted.push_back(i);
      figures.push_back(runs[i].steady);
    }
  }
  if (figures.empty()) {
    return trend;
  }
  std::vector<std::size_t> bounds = {0};
  std::vector<double> p_values;
  for (const statistics::ChangePoint &change : statistics::change_points(figures, settings.change_points)) {
    bounds.push_back(change.at);
    p_values.push_back(change.p_value);
  }
  bounds.push_back(figures.size());
  for (;;) {
    trend.segments = segments_between(counted, figures, bounds);
    std::size_t smallest = 0;
    double smallest_change = settings.min_change_percent;
    for (std::size_t c = 0; c + 1 < trend.segments.size(); ++c) {
      const double change = std::fabs(level_change(trend.segments[c], trend.segments[c + 1]));
      if (change < smallest_change) {
        smallest = c + 1;
        smallest_change = change;
      }
    }
    if (smallest == 0) {
      break;
    }
    bounds.erase(bounds.begin() + static_cast<std::ptrdiff_t>(smallest));
    p_values.erase(p_values.begin() + static_cast<std::ptrdiff_t>(smallest - 1));
  }
  for (std::size_t c = 0; c + 1 < trend.segments.size(); ++c) {
    trend.changes.push_back({.run = trend.segments[c + 1].first,
                             .percent = level_change(trend.segments[c], trend.segments[c + 1]),
                             .p_value = p_values[c]});
  }
  return trend;
}

} // namespace history
