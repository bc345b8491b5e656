#pragma once

#include "statistics/mann_whitney.h"

#include <cstddef>
#include <optional>
#include <span>

namespace compare {

// One group of records' steady rates against the base group's.
struct GroupComparison {
  // The group's median over the base's, in percent: positive when the group
  // is faster. Not a number when a group is empty or the base's median is
  // not positive.
  double change_percent = 0.0;
  statistics::UTest test{}; // the group first, so that test.u counts the pairs the group wins
  // Both groups hold at least least_records_per_group records; below that
  // the output says n<4 instead of judging.
  bool enough_records = false;
  bool significant = false;
  // Per group, for a difference of this size to be found
  // (records_needed.h); none when it was found, or a group is empty.
  std::optional<std::size_t> records_needed{};
};

// alpha lies strictly between 0 and 1 (std::invalid_argument otherwise).
GroupComparison compare_with_base(std::span<const double> base, std::span<const double> group,
                                  double alpha = 0.05);

} // namespace compare
