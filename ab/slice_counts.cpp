#include "ab/slice_counts.h"

#include "auto_counts/count_choice.h"

namespace ab {

pass::Counts slice_counts(double seconds_per_unit, double slice_seconds) {
  // choose_counts aims both passes at a share above the seconds it is
  // given, to stay inside --auto's range; a slice aims at the seconds.
  pass::Counts counts =
      auto_counts::choose_counts(seconds_per_unit, slice_seconds / auto_counts::aimed_share_of_seconds);
  counts.auto_seconds.reset();
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
