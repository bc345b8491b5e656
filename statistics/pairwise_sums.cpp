#include "statistics/pairwise_sums.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <vector>

namespace statistics {

namespace {

// Cells sampled per round: a sixteenth as many as a walk along the rows
// passes, within bounds. The pivots lie three standard deviations of the
// rank's place in the sample either side of it (at most sqrt(size) / 2
// places), so that the rank falls between them all but once in a few
// hundred rounds, and a round keeps about 3 / sqrt(size) of the open cells.
std::size_t sample_size(std::size_t n1, std::size_t n2) {
  return std::clamp<std::size_t>((n1 + n2) / 16, 1024, 65536);
}

// Open cells this few, or no more than a walk passes, are written out and
// selected among directly.
std::uint64_t most_gathered(std::size_t n1, std::size_t n2) {
  return std::max<std::uint64_t>(std::uint64_t{1} << 16, std::uint64_t{n1} + n2);
}

// A fixed seed: the draws decide only how fast the selection goes.
class SplitMix {
public:
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15U);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9U;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebU;
    return z ^ (z >> 31);
  }

private:
  std::uint64_t state_ = 0x2545f4914f6cdd1dU;
};

// A row's cut at a pivot leaves before it the sums below the pivot, or
// those at or below it.
enum class Cut { below, at_or_below };

} // namespace

class PairwiseSums::Selection {
public:
  Selection(std::span<const double> x, std::span<const double> y, bool i_at_most_j)
      : x_(x), y_(y), i_at_most_j_(i_at_most_j), low_(x.size()), high_(x.size(), y.size()), lower_cut_(x.size()),
        upper_cut_(x.size()) {
    for (std::size_t i = 0; i < x.size(); ++i) {
      low_[i] = first(i);
    }
  }

  // Each round keeps the open cells on the rank's side of a pivot, or
  // between the two, or finds the rank on a pivot's value. Either pivot is
  // an open cell, and a round closes at least one of them: when the two
  // enclose every open cell, the least is closed, or is the answer.
  double select(std::uint64_t rank) {
    for (;;) {
      const std::uint64_t open = cells_between(low_, high_);
      const std::uint64_t below_open = closed_below();
      if (open <= most_gathered(x_.size(), y_.size())) {
        return gathered(rank - below_open, open);
      }
      const auto [low_pivot, high_pivot] = pivots(rank - below_open, open);
      if (rank <= cut<Cut::below>(low_pivot, lower_cut_)) {
        high_.swap(lower_cut_);
      } else if (rank > cut<Cut::at_or_below>(high_pivot, upper_cut_)) {
        low_.swap(upper_cut_);
      } else if (low_pivot == high_pivot) {
        return low_pivot;
      } else if (cells_between(lower_cut_, upper_cut_) < open) {
        low_.swap(lower_cut_);
        high_.swap(upper_cut_);
      } else if (rank <= cut<Cut::at_or_below>(low_pivot, upper_cut_)) {
        return low_pivot;
      } else {
        low_.swap(upper_cut_);
      }
    }
  }

  // With every cell open: how many sums are at or below the value, and the
  // least sum above it (infinity when none is).
  std::pair<std::uint64_t, double> at_or_below_and_next(double value) {
    const std::uint64_t count = cut<Cut::at_or_below>(value, upper_cut_);
    double next = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < x_.size(); ++i) {
      if (upper_cut_[i] < y_.size()) {
        next = std::min(next, sum(i, upper_cut_[i]));
      }
    }
    return {count, next};
  }

private:
  std::size_t first(std::size_t i) const { return i_at_most_j_ ? i : 0; }
  double sum(std::size_t i, std::size_t j) const { return x_[i] + y_[j]; }

  std::uint64_t closed_below() const {
    std::uint64_t cells = 0;
    for (std::size_t i = 0; i < x_.size(); ++i) {
      cells += low_[i] - first(i);
    }
    return cells;
  }

  std::uint64_t cells_between(const std::vector<std::size_t> &from, const std::vector<std::size_t> &to) const {
    std::uint64_t cells = 0;
    for (std::size_t i = 0; i < x_.size(); ++i) {
      cells += to[i] - from[i];
    }
    return cells;
  }

  double gathered(std::uint64_t rank_among_open, std::uint64_t open) const {
    std::vector<double> cells;
    cells.reserve(static_cast<std::size_t>(open));
    for (std::size_t i = 0; i < x_.size(); ++i) {
      for (std::size_t j = low_[i]; j < high_[i]; ++j) {
        cells.push_back(sum(i, j));
      }
    }
    const auto nth = cells.begin() + static_cast<std::ptrdiff_t>(rank_among_open - 1);
    std::nth_element(cells.begin(), nth, cells.end());
    return *nth;
  }

  // Two sums from a uniform sample of the open cells, either side of the
  // place the rank holds among them.
  std::pair<double, double> pivots(std::uint64_t rank_among_open, std::uint64_t open) {
    // The draws in order, taken in one pass along the rows.
    std::vector<std::uint64_t> cells(sample_size(x_.size(), y_.size()));
    for (std::uint64_t &cell : cells) {
      cell = random_.next() % open;
    }
    std::ranges::sort(cells);
    std::vector<double> sample;
    sample.reserve(cells.size());
    std::uint64_t row_start = 0;
    for (std::size_t i = 0; i < x_.size() && sample.size() < cells.size(); ++i) {
      const std::uint64_t row_end = row_start + (high_[i] - low_[i]);
      while (sample.size() < cells.size() && cells[sample.size()] < row_end) {
        sample.push_back(sum(i, low_[i] + static_cast<std::size_t>(cells[sample.size()] - row_start)));
      }
      row_start = row_end;
    }
    std::ranges::sort(sample);
    const double size = static_cast<double>(sample.size());
    const double place = size * (static_cast<double>(rank_among_open) - 0.5) / static_cast<double>(open);
    const double margin = 1.5 * std::sqrt(size);
    const auto at = [&](double index) { return sample[static_cast<std::size_t>(std::clamp(index, 0.0, size - 1.0))]; };
    return {at(std::floor(place - margin)), at(std::ceil(place + margin))};
  }

  // Each row's cut at the pivot, kept within its open cells: the column
  // from which on its sums are no longer below the pivot (or at or below
  // it). As x_i grows the cut moves left, so one walk down the rows finds
  // every cut in O(n1 + n2). Returns the sums before the cuts, counted from
  // each row's first column.
  template <Cut cut_kind> std::uint64_t cut(double pivot, std::vector<std::size_t> &cuts) const {
    const auto inside = [pivot](double value) { return cut_kind == Cut::below ? value < pivot : value <= pivot; };
    std::uint64_t count = 0;
    std::size_t j = y_.size();
    for (std::size_t i = 0; i < x_.size(); ++i) {
      while (j > 0 && !inside(sum(i, j - 1))) {
        --j;
      }
      cuts[i] = std::clamp(j, low_[i], high_[i]);
      count += cuts[i] - first(i);
    }
    return count;
  }

  std::span<const double> x_;
  std::span<const double> y_;
  bool i_at_most_j_;
  std::vector<std::size_t> low_; // each row's open cells are columns [low, high)
  std::vector<std::size_t> high_;
  std::vector<std::size_t> lower_cut_;
  std::vector<std::size_t> upper_cut_;
  SplitMix random_;
};

PairwiseSums::PairwiseSums(std::span<const double> x, std::span<const double> y, bool i_at_most_j)
    : x_(x), y_(y), i_at_most_j_(i_at_most_j) {
  if (i_at_most_j && x.size() != y.size()) {
    throw std::invalid_argument("compare: a sequence summed with itself is one sequence");
  }
  const std::uint64_t n1 = x.size();
  const std::uint64_t n2 = y.size();
  if (n1 != 0 && n2 > ~std::uint64_t{0} / n1) {
    throw std::invalid_argument("compare: too many pairs to count");
  }
  // n1 (n1 + 1) / 2 with the halving first, so that it cannot overflow.
  count_ = !i_at_most_j ? n1 * n2 : n1 % 2 == 0 ? n1 / 2 * (n1 + 1) : (n1 + 1) / 2 * n1;
}

// The rows are the shorter sequence, so that the per-row bounds cost the least.
PairwiseSums::Selection PairwiseSums::selection() const {
  if (!i_at_most_j_ && y_.size() < x_.size()) {
    return Selection(y_, x_, false);
  }
  return Selection(x_, y_, i_at_most_j_);
}

double PairwiseSums::select(std::uint64_t rank) const {
  if (rank < 1 || rank > count_) {
    throw std::invalid_argument("compare: no such rank among the pairwise sums");
  }
  return selection().select(rank);
}

double PairwiseSums::median() const {
  if (count_ == 0) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  if (count_ % 2 == 1) {
    return select(count_ / 2 + 1);
  }
  const double lower = select(count_ / 2);
  const auto [at_or_below, next] = selection().at_or_below_and_next(lower);
  return at_or_below > count_ / 2 ? lower : std::midpoint(lower, next);
}

} // namespace statistics
