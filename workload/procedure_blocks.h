#pragma once

#include <cstdint>

// The blocks whose every iteration is a call of one of the procedures.
namespace workload {

void run_block_3(std::uint32_t iterations);
// Returns the block's local Z, which the outer iteration discards.
double run_block_7(std::uint32_t iterations);
void run_block_8(std::uint32_t iterations);

} // namespace workload
