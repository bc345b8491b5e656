#pragma once

#include "block_costs.h"

#include <string>

// The checks every way of counting applies to the blocks: each block's work
// grows in step with its iterations, and each iteration executes at least the
// work its lines ask for. An executable that links these checks defines
// measure(), which counts the probe's runs its own way.
namespace fidelity {

struct Measured {
  CostsByBlock blocks;
  // Whether the counting tells floating-point operations apart; callgrind
  // does not, and then only instructions, loads and stores are checked.
  bool counts_operations = false;
  // Empty when the probe was counted; otherwise why not.
  std::string problem;
};

// Counts the probe's runs; each executable that links the checks defines it.
Measured measure();

// measure()'s result, counted once, on first use, for all the checks.
const Measured &measured();

// The table of per-iteration costs, and the double operations one unit of
// the inner count makes the whole outer iteration execute.
void print_per_iteration(const Measured &measured);

} // namespace fidelity
