#pragma once

// Measures how fast this machine runs the workload, outside any timed pass.
namespace auto_counts {

// The seconds one unit of work takes (one inner count in one outer
// iteration), found by running outer iterations at a growing inner count
// until one takes a twentieth of the budget, then more at that count for
// about half of it; the whole probe stays within the budget on any machine
// that does one unit in a twentieth of it.
double seconds_per_unit(double budget_seconds);

} // namespace auto_counts
