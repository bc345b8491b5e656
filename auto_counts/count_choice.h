#pragma once

#include "pass/counts.h"

#include <cstdint>

// Counts chosen for the user from how fast this machine runs the workload,
// so that a run needs no one at the keyboard and still gives figures worth
// having.
namespace auto_counts {

// Both passes together aim at this many times the seconds asked for: the
// middle, in ratio, of the allowed 1 to 1.3, so that the machine may run
// about 12 % faster or slower than the probe measured and still stay inside.
constexpr double aimed_share_of_seconds = 1.14;

// Each pass gets at least this many groups of outer iterations where the
// machine is fast enough, so that its steadiness can be judged.
constexpr std::uint32_t least_groups_per_pass = 20;

// From the seconds one unit of work takes (one inner count in one outer
// iteration) and the seconds both passes should take: the largest round inner
// count (1, 2 or 5 times a power of ten) that leaves each pass 20 outer
// iterations and keeps pass 2 clear of subnormal values, and the outer count
// that brings both passes to the aimed time. A slow machine thus gets a
// smaller inner count, never fewer than 20 outer iterations while the inner
// count is above 1.
pass::Counts choose_counts(double seconds_per_unit, double seconds);

} // namespace auto_counts
