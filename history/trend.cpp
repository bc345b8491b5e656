#include "history/trend.h"

#include "statistics/median.h"

#include <algorithm>
#include <cmath>

namespace history {
namespace {

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

bool in_future(const StoredRun &run, std::string_view future_after) {
  return !future_after.empty() && std::string_view(run.started_at) > future_after;
}

std::vector<bool> left_out_of_trend(std::span<const StoredRun> runs, std::string_view future_after) {
  const auto warned = static_cast<std::size_t>(
      std::count_if(runs.begin(), runs.end(), [](const StoredRun &run) { return run.warnings > 0; }));
  const bool warnings_count = 2 * warned <= runs.size();
  std::vector<bool> left_out;
  for (const StoredRun &run : runs) {
    left_out.push_back(!run.self_check_passed || !std::isfinite(run.steady) || (warnings_count && run.warnings > 0) ||
                       in_future(run, future_after));
  }
  return left_out;
}

Trend trend_of(std::span<const StoredRun> runs, const TrendSettings &settings) {
  Trend trend;
  std::vector<std::size_t> counted; // the series' index of each run that counts
  std::vector<double> figures;
  trend.left_out = left_out_of_trend(runs, settings.future_after);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (!trend.left_out[i]) {
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
