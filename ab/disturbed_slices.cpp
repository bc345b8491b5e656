#include "ab/disturbed_slices.h"

#include "compare/comparison.h"

#include <algorithm>

namespace ab {
namespace {

std::size_t round_slices(const PairedComparison &comparison) {
  return static_cast<std::size_t>(
      std::ranges::count_if(comparison.slices, [](const Slice &slice) { return slice.round > 0; }));
}

} // namespace

std::size_t disturbed_slices(const PairedComparison &comparison) {
  return static_cast<std::size_t>(std::ranges::count_if(
      comparison.slices, [](const Slice &slice) { return slice.round > 0 && slice.warnings.disturbed(); }));
}

bool rests_on_disturbed_slices(const PairedComparison &comparison) {
  return static_cast<double>(disturbed_slices(comparison)) >
         compare::most_disturbed_share * static_cast<double>(round_slices(comparison));
}

bool fails_strict(const PairedComparison &comparison) {
  const Answer &answer = comparison.answer;
  return (answer.verdict == Verdict::slower &&
          answer.change_percent <= -comparison.settings.threshold_percent) ||
         rests_on_disturbed_slices(comparison);
}

} // namespace ab
