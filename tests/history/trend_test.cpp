// What a trend makes of series drawn by hand: a step is a change at its
// run, and nothing else is one.

#include "history/trend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

namespace {

struct Shape {
  const char *what;
  std::vector<double> figures; // per run, as a share of 10,000
  std::vector<std::size_t> warned; // runs (from 0) with a warning
  double min_change;
  std::vector<std::size_t> changes; // the first run at each new level, from 0
};

// A quiet series of 40 runs, alternating by 0.2 % about its level, with
// `from` on changed by `share`.
std::vector<double> series(std::size_t from = 40, double share = 1.0) {
  std::vector<double> figures;
  for (std::size_t i = 0; i < 40; ++i) {
    figures.push_back((i % 2 == 0 ? 1.002 : 0.998) * (i >= from ? share : 1.0));
  }
  return figures;
}

// A warning on every run is the series' own, as passes too short to judge
// give one each.
std::vector<std::size_t> every_run() {
  std::vector<std::size_t> runs(40);
  std::iota(runs.begin(), runs.end(), std::size_t{0});
  return runs;
}

std::vector<double> with(std::vector<double> figures, std::size_t run, double figure) {
  figures[run] = figure;
  return figures;
}

TEST(Trend, ChangesOnlyWhereTheLevelMoved) {
  const auto low_run = [](std::vector<double> figures, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
      figures[i] *= 0.8;
    }
    return figures;
  };
  const Shape shapes[] = {
      {"a 5 % step", series(20, 0.95), {}, 2.0, {20}},
      {"no step", series(), {}, 2.0, {}},
      {"one run 30 % low, without a warning", with(series(), 17, 0.7), {}, 2.0, {}},
      {"the last two runs 20 % low", low_run(series(), 38, 40), {}, 2.0, {}},
      {"five runs 20 % low, each with a warning", low_run(series(), 12, 17), {12, 13, 14, 15, 16}, 2.0, {}},
      {"a 1.5 % step, below --min-change", series(20, 0.985), {}, 2.0, {}},
      {"a 5 % step where every run has a warning", series(20, 0.95), every_run(), 2.0, {20}},
      {"a 1.5 % step, above --min-change 1", series(20, 0.985), {}, 1.0, {20}},
  };
  for (const Shape &shape : shapes) {
    std::vector<history::StoredRun> runs;
    for (std::size_t i = 0; i < shape.figures.size(); ++i) {
      const bool warned = std::find(shape.warned.begin(), shape.warned.end(), i) != shape.warned.end();
      runs.push_back({.started_at = "2026-01-" + std::to_string(10 + i / 2) + "T00:00:00Z",
                      .steady = 10000.0 * shape.figures[i],
                      .rate = 10000.0 * shape.figures[i],
                      .warnings = warned ? 2U : 0U});
    }
    const history::Trend trend = history::trend_of(runs, {.min_change_percent = shape.min_change});
    std::vector<std::size_t> changes;
    for (const history::Change &change : trend.changes) {
      changes.push_back(change.run);
      EXPECT_LE(change.p_value, 0.05) << shape.what;
    }
    EXPECT_EQ(changes, shape.changes) << shape.what;
    EXPECT_EQ(trend.segments.size(), shape.changes.size() + 1) << shape.what;
    const std::size_t left_out = shape.warned.size() * 2 > shape.figures.size() ? 0 : shape.warned.size();
    EXPECT_EQ(std::count(trend.left_out.begin(), trend.left_out.end(), true), static_cast<std::ptrdiff_t>(left_out))
        << shape.what;
  }
}

} // namespace
