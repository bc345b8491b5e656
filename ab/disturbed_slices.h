#pragma once

#include "ab/paired_comparison.h"

#include <cstddef>
#include <string_view>

// An answer resting on disturbed slices, by compare's rule for runs: where
// most of the rounds' slices ran while other work took the processor, or
// while the machine changed speed, nothing vouches for the answer, and more
// rounds on the same busy machine would not mend it.
namespace ab {

// The warning kinds compare counts as a disturbed run (record_reader.cpp).
constexpr bool disturbing_kind(std::string_view kind) { return kind == "interference" || kind == "steadiness"; }

// The rounds' slices (not the duet check's) carrying a disturbing warning.
std::size_t disturbed_slices(const PairedComparison &comparison);

// More than compare::most_disturbed_share of the rounds' slices disturbed.
bool rests_on_disturbed_slices(const PairedComparison &comparison);

// What --strict fails on: B slower than A by at least the threshold, or an
// answer resting on disturbed slices, which nothing vouches for.
bool fails_strict(const PairedComparison &comparison);

} // namespace ab
