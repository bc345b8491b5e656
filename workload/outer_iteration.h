#pragma once

#include <cstdint>

namespace workload {

// Iterations of each block for an inner count n, as 32-bit products that wrap.
struct BlockCounts {
  std::uint32_t block_1;
  std::uint32_t block_2;
  std::uint32_t block_3;
  std::uint32_t block_4;
  std::uint32_t block_5;
  std::uint32_t block_6;
  std::uint32_t block_7;
  std::uint32_t block_8;
  std::uint32_t block_9;
  std::uint32_t block_10;
};

// A negative n is taken as its unsigned 32-bit value, a very large count.
BlockCounts block_counts(std::int32_t n);

void run_outer_iteration(std::int32_t n);

// The values an outer iteration's own variables end with, which a pass
// discards: block 7's Z and block 10's X.
struct OuterIterationLocals {
  double block_7_z;
  double block_10_x;
};

// The same outer iteration, keeping what its locals ended with, so that its
// arithmetic can be checked.
void run_outer_iteration_keeping_locals(std::int32_t n, OuterIterationLocals &locals);

} // namespace workload
