#pragma once

#include "statistics/mann_whitney.h"

#include <cstddef>
#include <optional>
#include <span>

namespace compare {

// Which way the U test finds the group: faster when its U, the pairs of
// records (one of the group, one of the base) in which the group's rate is
// the larger, ties counting half, lies above its mean n1 n2 / 2.
enum class Direction { neither, faster, slower };

// The shift's interval: between two of the pairs' differences, covering the
// true shift with the probability given (1 - alpha, the test's own level).
struct ShiftInterval {
  double low_percent = 0.0;
  double high_percent = 0.0;
  double coverage = 0.0; // approximate where not exact
  bool exact = false;    // the ranks from the exact distribution of U, not its normal approximation
};

// One group of records' steady rates against the base group's.
struct GroupComparison {
  // The group's median over the base's, in percent: positive when the group
  // is faster. Not a number when a group is empty or the base's median is
  // not positive.
  double change_percent = 0.0;
  statistics::UTest test{}; // the group first, so that test.u counts the pairs the group wins
  Direction direction = Direction::neither;
  // The Hodges-Lehmann shift, the median of the differences group - base
  // over every pair of records, in percent of the base's median: the test's
  // own measure of the difference, which shares its direction. Not a number
  // where change_percent is not.
  double shift_percent = 0.0;
  std::optional<ShiftInterval> shift_interval{}; // none with too few records for one
  // Both groups hold at least least_records_per_group records; below that
  // the output says n<4 instead of judging.
  bool enough_records = false;
  // Some outcome of groups of these sizes would be significant at alpha
  // (records_needed.h's least_p_value): without it no difference could
  // have been found, and the verdict is "too few" rather than "~".
  bool could_be_significant = false;
  // With enough records, p < alpha and a shift in the test's direction.
  bool significant = false;
  // p < alpha with enough records, but values that both groups share hold
  // the shift at exactly 0: the groups differ only in how often they tie,
  // which is no shift to call faster or slower.
  bool only_ties_differ = false;
  // Per group, for a difference of this size to be found
  // (records_needed.h); none when it was found, or a group is empty.
  std::optional<std::size_t> records_needed{};
};

// alpha lies strictly between 0 and 1 (std::invalid_argument otherwise).
GroupComparison compare_with_base(std::span<const double> base, std::span<const double> group,
                                  double alpha = 0.05);

} // namespace compare
