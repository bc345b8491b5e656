#include "ab/slice_counts.h"

#include "auto_counts/count_choice.h"
#include "pass/iteration_groups.h"
#include "report/warnings.h"

#include <algorithm>
#include <limits>

namespace ab {

pass::Counts slice_counts(double seconds_per_unit, double slice_seconds) {
  // choose_counts aims both passes at a share above the seconds it is
  // given, to stay inside --auto's range; a slice aims at the seconds.
  pass::Counts counts =
      auto_counts::choose_counts(seconds_per_unit, slice_seconds / auto_counts::aimed_share_of_seconds);
  counts.auto_seconds.reset();
  // Enough full groups of outer iterations in each pass for its steady
  // figure and its steadiness to be judged, even where a slice then takes
  // longer than asked: a slow machine's small inner count puts several
  // outer iterations in each group.
  const std::uint64_t fewest = std::uint64_t{report::fewest_judged_groups} * pass::outer_iterations_per_group(counts.inner);
  counts.outer = static_cast<std::int32_t>(std::clamp<std::uint64_t>(
      std::max<std::uint64_t>(static_cast<std::uint64_t>(counts.outer), fewest), 1,
      std::numeric_limits<std::int32_t>::max()));
  return counts;
}

pass::Counts probe_counts(int step) {
  std::int32_t outer = 1;
  for (int i = 0; i < step; ++i) {
    outer *= 10;
  }
  return {1000, outer};
}

} // namespace ab
