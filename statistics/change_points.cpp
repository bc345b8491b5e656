#include "statistics/change_points.h"

#include "statistics/median.h"
#include "statistics/sorted_values.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace statistics {
namespace {

// SplitMix64 (Steele, Lea and Flood, OOPSLA 2014): the same numbers from
// every compiler and library, as std::shuffle's are not.
class Random {
public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15U);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9U;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebU;
    return z ^ (z >> 31);
  }

  // Uniform from 0 to bound - 1, without the bias of a plain remainder.
  std::uint64_t below(std::uint64_t bound) {
    const std::uint64_t threshold = (0 - bound) % bound;
    for (;;) {
      const std::uint64_t value = next();
      if (value >= threshold) {
        return value % bound;
      }
    }
  }

private:
  std::uint64_t state_;
};

void shuffle(std::span<std::size_t> values, Random &random) {
  for (std::size_t i = values.size(); i > 1; --i) {
    std::swap(values[i - 1], values[random.below(i)]);
  }
}

// Twice the ranks from 1, equal values sharing the mean of theirs: whole
// numbers, so that sums of their distances are exact.
std::vector<std::size_t> keys_of(std::span<const double> values) {
  std::vector<std::size_t> order(values.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return values[a] < values[b]; });
  std::vector<std::size_t> keys(values.size());
  for (std::size_t start = 0; start < order.size();) {
    std::size_t end = start + 1;
    while (end < order.size() && values[order[end]] == values[order[start]]) {
      ++end;
    }
    for (std::size_t k = start; k < end; ++k) {
      keys[order[k]] = start + 1 + end;
    }
    start = end;
  }
  return keys;
}

struct Split {
  double statistic = -1.0;
  std::size_t at = 0; // within the whole series
};

// Counts and sums of the keys held, by key, each prefix in log time
// (Fenwick, Software: Practice and Experience 24, 1994, 327-336).
class KeyTree {
public:
  explicit KeyTree(std::size_t largest_key) : count_(largest_key + 1, 0.0), sum_(largest_key + 1, 0.0) {}

  void add(std::size_t key, double times) {
    held_ += times;
    held_sum_ += times * static_cast<double>(key);
    for (std::size_t i = key; i < count_.size(); i += i & (0 - i)) {
      count_[i] += times;
      sum_[i] += times * static_cast<double>(key);
    }
  }

  // The sum of |key - k| over every key k held.
  double distance_from(std::size_t key) const {
    const auto [below, below_sum] = held_up_to(key - 1);
    const auto [up_to, up_to_sum] = held_up_to(key);
    const double k = static_cast<double>(key);
    return k * below - below_sum + (held_sum_ - up_to_sum) - k * (held_ - up_to);
  }

private:
  std::vector<double> count_;
  std::vector<double> sum_;
  double held_ = 0.0;
  double held_sum_ = 0.0;

  // How many keys of at most `key` are held, and their sum.
  std::pair<double, double> held_up_to(std::size_t key) const {
    double count = 0.0;
    double sum = 0.0;
    for (std::size_t i = key; i > 0; i -= i & (0 - i)) {
      count += count_[i];
      sum += sum_[i];
    }
    return {count, sum};
  }
};

// The split of one segment with the largest energy statistic
//   Q = m k / (m + k) (2 C / (m k) - A / (m choose 2) - B / (k choose 2)),
// where A and B sum |x_i - x_j| over the pairs within the left m and the
// right k values and C over the pairs across. Moving the split one value
// to the right moves that value's distances to the right side from B to C,
// and its distances to the left side from C to A; the trees give both
// sums in log time, so every split of n values costs n log n. The values
// are keys: twice the ranks, whole numbers from 2 to 2n.
Split best_split(std::span<const std::size_t> segment, std::size_t offset, std::size_t shortest, KeyTree &left,
                 KeyTree &right) {
  const std::size_t length = segment.size();
  Split best;
  if (length < 2 * shortest) {
    return best;
  }
  std::vector<std::size_t> sorted(segment.begin(), segment.end());
  std::sort(sorted.begin(), sorted.end());
  double within_right = 0.0;
  for (std::size_t j = 0; j < length; ++j) {
    within_right += static_cast<double>(sorted[j]) * (2.0 * static_cast<double>(j) - static_cast<double>(length) + 1.0);
    right.add(segment[j], 1.0);
  }
  double within_left = 0.0;
  double across = 0.0;
  for (std::size_t split = 1; split <= length - shortest; ++split) {
    const std::size_t moved = segment[split - 1];
    right.add(moved, -1.0);
    const double to_left = left.distance_from(moved);
    const double to_right = right.distance_from(moved);
    left.add(moved, 1.0);
    within_left += to_left;
    within_right -= to_right;
    across += to_right - to_left;
    if (split < shortest) {
      continue;
    }
    const double m = static_cast<double>(split);
    const double k = static_cast<double>(length - split);
    const double energy =
        2.0 * across / (m * k) - within_left / (m * (m - 1.0) / 2.0) - within_right / (k * (k - 1.0) / 2.0);
    const double statistic = m * k / (m + k) * energy;
    if (statistic > best.statistic) {
      best = {statistic, offset + split};
    }
  }
  // Both trees are left empty for the next segment.
  for (std::size_t i = 0; i < length; ++i) {
    (i < length - shortest ? left : right).add(segment[i], -1.0);
  }
  return best;
}

Split best_split_of_all(std::span<const std::size_t> keys, const std::vector<std::size_t> &bounds,
                        std::size_t shortest) {
  Split best;
  KeyTree left(2 * keys.size());
  KeyTree right(2 * keys.size());
  for (std::size_t s = 0; s + 1 < bounds.size(); ++s) {
    const Split split =
        best_split(keys.subspan(bounds[s], bounds[s + 1] - bounds[s]), bounds[s], shortest, left, right);
    if (split.statistic > best.statistic) {
      best = split;
    }
  }
  return best;
}

// The share of shufflings, each segment within itself, whose best split is
// at least as strong as the one found.
double permutation_p_value(std::span<const std::size_t> keys, const std::vector<std::size_t> &bounds, double found,
                           const ChangePointSettings &settings, Random &random) {
  std::vector<std::size_t> shuffled(keys.begin(), keys.end());
  std::size_t exceeded = 0;
  std::size_t done = 0;
  while (done < settings.permutations && exceeded < settings.enough_exceedances) {
    for (std::size_t s = 0; s + 1 < bounds.size(); ++s) {
      shuffle(std::span<std::size_t>(shuffled).subspan(bounds[s], bounds[s + 1] - bounds[s]), random);
    }
    ++done;
    if (best_split_of_all(shuffled, bounds, settings.shortest_segment).statistic >= found) {
      ++exceeded;
    }
  }
  return static_cast<double>(exceeded + 1) / static_cast<double>(done + 1);
}

double absolute_deviation(std::span<const double> values) {
  const double centre = median(values);
  double sum = 0.0;
  for (const double value : values) {
    sum += std::fabs(value - centre);
  }
  return sum;
}

// The place near `at`, within the segment from `start` to `end`, where two
// levels fit the values best; the nearest to `at` among equals.
std::size_t refined(std::span<const double> values, std::size_t start, std::size_t end, std::size_t at,
                    const ChangePointSettings &settings) {
  const std::size_t low = std::max(start + settings.shortest_segment,
                                   at > settings.refinement_reach ? at - settings.refinement_reach : 0);
  const std::size_t high = std::min(end - settings.shortest_segment, at + settings.refinement_reach);
  const auto fit = [&](std::size_t split) {
    return absolute_deviation(values.subspan(start, split - start)) + absolute_deviation(values.subspan(split, end - split));
  };
  std::size_t best = at;
  double best_fit = fit(at);
  for (std::size_t distance = 1; distance <= settings.refinement_reach; ++distance) {
    for (const std::size_t split : {at - std::min(at, distance), at + distance}) {
      if (split >= low && split <= high && split != at) {
        const double this_fit = fit(split);
        if (this_fit < best_fit) {
          best = split;
          best_fit = this_fit;
        }
      }
    }
  }
  return best;
}

} // namespace

std::vector<ChangePoint> change_points(std::span<const double> values, const ChangePointSettings &settings) {
  require_finite(values);
  const std::vector<std::size_t> keys = keys_of(values);
  std::vector<std::size_t> bounds = {0, values.size()};
  std::vector<ChangePoint> changes;
  Random random(settings.seed);
  for (;;) {
    const Split split = best_split_of_all(keys, bounds, settings.shortest_segment);
    if (split.statistic < 0.0) {
      break;
    }
    const double p = permutation_p_value(keys, bounds, split.statistic, settings, random);
    if (p > settings.alpha) {
      break;
    }
    const auto after = std::upper_bound(bounds.begin(), bounds.end(), split.at);
    const std::size_t at = refined(values, *(after - 1), *after, split.at, settings);
    bounds.insert(after, at);
    changes.push_back({at, p});
  }
  std::sort(changes.begin(), changes.end(), [](const ChangePoint &a, const ChangePoint &b) { return a.at < b.at; });
  return changes;
}

} // namespace statistics
