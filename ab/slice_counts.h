#pragma once

#include "pass/counts.h"

// The counts every slice of a comparison is given, A's and B's alike.
namespace ab {

// The slice lengths a comparison may ask for, in seconds.
constexpr double shortest_slice = 0.1;
constexpr double longest_slice = 60.0;

// The counts at which a slice (both passes, the second with twice the inner
// count) takes about `slice_seconds` on a program that does one unit of work
// (one inner count in one outer iteration) in `seconds_per_unit`: chosen
// as --auto chooses them, with at least 20 outer iterations a pass where the
// machine is fast enough, so that each pass's fastest group is one of many,
// and never fewer than 5 full groups a pass, which a slow machine's slice
// may need more than the seconds for.
pass::Counts slice_counts(double seconds_per_unit, double slice_seconds);

// The counts of the probe that measures A, and validates both programs, at
// step 0, 1, 2, ...: each ten times the last's work, so that a slow machine
// (or an emulator) is not kept waiting long on the first.
pass::Counts probe_counts(int step);

// How long a probe's passes must take to measure the program well enough to
// choose the counts: its clock's steps are then small beside them.
constexpr double least_probe_seconds = 0.05;
constexpr int most_probe_steps = 5;

} // namespace ab
