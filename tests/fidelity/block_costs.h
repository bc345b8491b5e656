#pragma once

#include "callgrind_dump.h"

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

// What each block cost, by the iterations it was asked to make.
namespace fidelity {

using CostsByIterations = std::map<std::uint32_t, Costs>;
using CostsByBlock = std::map<int, CostsByIterations>;

// Dumps the probe did not name are left out.
CostsByBlock costs_by_block(const std::vector<Dump> &dumps);

struct CostsPerIteration {
  double instructions = 0;
  double loads = 0;
  double stores = 0;
  // Double additions, subtractions, multiplications and divisions.
  double operations = 0;
  double divisions = 0;
  double fused = 0;
};

// A block measured at 0, c and 2c iterations. The run at 0 holds only what
// does not depend on the iterations: the call of the block, its set-up and
// the probe's own requests to callgrind and its markers.
struct BlockCosts {
  std::uint32_t c = 0;
  Costs at_zero;
  Costs at_c;
  Costs at_2c;

  // The instructions that iterations 1 to c added, and those that iterations
  // c + 1 to 2c added.
  double first_c_instructions() const;
  double second_c_instructions() const;
  // Taken from the second c, which carries none of the loop's entry cost.
  CostsPerIteration per_iteration() const;
};

// Empty unless the block was measured at exactly 0, c and 2c iterations, c > 0.
std::optional<BlockCosts> block_costs(const CostsByIterations &measured);

} // namespace fidelity
