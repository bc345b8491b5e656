#pragma once

#include "ab/paired_comparison.h"

#include <cstddef>

// An answer resting on disturbed slices, by compare's rule for runs: where
// most of the rounds' slices ran while other work took the processor, or
// while the machine changed speed, nothing vouches for the answer, and more
// rounds on the same busy machine would not mend it.
namespace ab {

// The rounds' slices (not the duet check's) carrying a warning of a kind
// compare counts as a disturbed run (record::WarningKinds::disturbed).
std::size_t disturbed_slices(const PairedComparison &comparison);

// More than compare::most_disturbed_share of the rounds' slices disturbed.
bool rests_on_disturbed_slices(const PairedComparison &comparison);

// What --strict fails on: B slower than A by at least the threshold, or an
// answer resting on disturbed slices, which nothing vouches for.
bool fails_strict(const PairedComparison &comparison);

} // namespace ab
