#pragma once

#include <cstdint>

// The blocks of one outer iteration, each runnable alone with the number of
// iterations it is to make. Every block has made all of its stores to the
// workload variables by the time it returns.
namespace workload {

void run_block_1(std::uint32_t iterations);
void run_block_2(std::uint32_t iterations);
void run_block_4(std::uint32_t iterations);
void run_block_5(std::uint32_t iterations);
void run_block_6(std::uint32_t iterations);
void run_block_9(std::uint32_t iterations);
// Returns the final value of the block's local X, which the outer iteration
// discards; it is returned so that the block's arithmetic can be checked.
double run_block_10(std::uint32_t iterations);

} // namespace workload
