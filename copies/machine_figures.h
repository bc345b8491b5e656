#pragma once

#include "pass/timed_pass.h"

#include <vector>

// The machine's figures for a pass that ran in several copies at once.
namespace copies {

struct MachineFigures {
  double elapsed;      // the latest end minus the earliest start, over all copies
  double rate;         // every copy's work units x 100, per second of that
  double fastest_copy; // seconds
  double slowest_copy; // seconds
  double start_spread; // the latest start minus the earliest
  double earliest_start;
};

// Each copy's own timing of the pass, and the work units each copy did.
MachineFigures machine_figures(const std::vector<pass::PassTiming> &copies, double work_units_per_copy);

} // namespace copies
