#include "workload/procedure_blocks.h"

#include "workload/barriers.h"
#include "workload/procedures.h"
#include "workload/variables.h"

namespace workload {

// After each call the state it changed is treated as observed and possibly
// changed again, so no call can be dropped as dead, merged with the next, or
// hoisted out of its loop, even by a compiler that could see into it.

void run_block_3(std::uint32_t iterations) {
  for (std::uint32_t i = 0; i < iterations; ++i) {
    mix_array(E1);
    opaque_in_memory(E1);
  }
}

double run_block_7(std::uint32_t iterations) {
  double x = 1.0;
  double y = 1.0;
  double z = 1.0;
  for (std::uint32_t i = 0; i < iterations; ++i) {
    // Every call gets the same arguments and stores the same Z, which nothing
    // reads: exactly what an optimizer would otherwise hoist or delete.
    mix_pair(x, y, z);
    opaque_in_memory(x);
    opaque_in_memory(y);
    opaque_in_memory(z);
  }
  return z;
}

void run_block_8(std::uint32_t iterations) {
  J = 0;
  K = 1;
  L = 2;
  E1[0] = 1.0;
  E1[1] = 2.0;
  E1[2] = 3.0;
  for (std::uint32_t i = 0; i < iterations; ++i) {
    rotate_elements();
    opaque_in_memory(E1);
  }
  observe_all_memory();
}

} // namespace workload
