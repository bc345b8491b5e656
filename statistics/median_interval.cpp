#include "statistics/median_interval.h"

#include "statistics/open_probability.h"
#include "statistics/sorted_values.h"

#include <cmath>
#include <vector>

namespace statistics {

namespace {

// The binomial(n, 1/2) distribution, walked up from 0. The counts C(n, j)
// overflow a double from n = 1030 on, and 2^-n falls below the smallest
// double from n = 1075 on, so the term and the running sum are kept as
// doubles times 2^scale: each step costs a rounding or two, and rescaling
// by a power of two none.
class HalfBinomialWalk {
public:
  explicit HalfBinomialWalk(std::size_t n) : n_(n) {}

  std::size_t outcome() const { return j_; }
  double cumulative() const { return std::ldexp(sum_, static_cast<int>(scale_ - static_cast<long>(n_))); }

  void step() {
    term_ *= static_cast<double>(n_ - j_) / static_cast<double>(j_ + 1);
    ++j_;
    sum_ += term_;
    if (term_ > std::ldexp(1.0, rescale_exponent)) {
      term_ = std::ldexp(term_, -rescale_exponent);
      sum_ = std::ldexp(sum_, -rescale_exponent);
      scale_ += rescale_exponent;
    }
  }

private:
  static constexpr int rescale_exponent = 512;
  std::size_t n_;
  std::size_t j_ = 0;
  double term_ = 1.0; // C(n, j) / 2^scale
  double sum_ = 1.0;  // the sum of C(n, i) for i <= j, / 2^scale
  long scale_ = 0;
};

} // namespace

std::optional<MedianInterval> median_interval(std::span<const double> values, double confidence) {
  require_open_probability(confidence, "confidence level");
  const std::vector<double> sorted = sorted_values(values);
  const std::size_t n = sorted.size();
  // Each side may leave out the values below the low rank while the chance
  // of the median lying beyond them, P(B < low_rank), stays within its half
  // of 1 - confidence. That chance reaches 1/2 before the middle, so the
  // walk ends there.
  const double tail = (1.0 - confidence) / 2.0;
  HalfBinomialWalk walk(n);
  if (walk.cumulative() > tail) {
    return std::nullopt;
  }
  double outside = walk.cumulative();
  for (walk.step(); walk.cumulative() <= tail; walk.step()) {
    outside = walk.cumulative();
  }
  const std::size_t low_rank = walk.outcome();
  const std::size_t high_rank = n + 1 - low_rank;
  return MedianInterval{.low = sorted[low_rank - 1],
                        .high = sorted[high_rank - 1],
                        .low_rank = low_rank,
                        .high_rank = high_rank,
                        .coverage = 1.0 - 2.0 * outside};
}

} // namespace statistics
