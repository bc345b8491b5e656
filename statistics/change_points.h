#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace statistics {

// Where a series of figures, in time order, changed level: at is the index
// of the first value at the new level.
struct ChangePoint {
  std::size_t at = 0;
  double p_value = 1.0; // the permutation test's, when the change was found
};

struct ChangePointSettings {
  double alpha = 0.05; // a split is kept when its test's p-value is at most this
  // Permutations per test: the smallest p-value one can give is
  // 1 / (permutations + 1), 0.005 for 199.
  std::size_t permutations = 199;
  // A test whose permutations reach this statistic this often is over: its
  // p-value is plainly above alpha, and the rest would only say so again
  // (Besag and Clifford's sequential test, Biometrika 78, 1991, 301-304).
  std::size_t enough_exceedances = 10;
  // Fewer values than this on either side of a change are no new level: one
  // or two disturbed runs in a row never make one.
  std::size_t shortest_segment = 3;
  // How far either way the change's place may move to fit the two levels
  // best (see change_points below).
  std::size_t refinement_reach = 5;
  std::uint64_t seed = 0x6d65676177686574; // the same series always gives the same answer
};

// E-divisive means (Matteson and James, JASA 109, 2014, 334-345) on the
// values' ranks: the split of a segment that most separates the two sides'
// distributions, by the energy statistic with exponent 1, is a change when a
// permutation test, shuffling every segment within itself, finds it
// significant; the segments are split again until a test is not. Ranks
// make one far value weigh no more than any other beyond the rest, so that
// an outlier neither makes a change nor hides one. The energy statistic
// places a change only roughly, so each is moved, within refinement_reach,
// to where the two levels, each its median, leave the least absolute
// deviation in the values themselves.
//
// Values must be finite (std::invalid_argument otherwise). The changes come
// in order of their place. The work is about n^2 per permutation of a
// series of n values.
std::vector<ChangePoint> change_points(std::span<const double> values, const ChangePointSettings &settings = {});

} // namespace statistics
