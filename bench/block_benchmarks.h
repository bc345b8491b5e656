#pragma once

#include <string>

// One benchmark per block of the workload, timing the very functions the
// program runs, named block_1 to block_10, and one of a whole outer
// iteration with inner count 1, named outer_iteration_n1.
namespace bench {

std::string block_benchmark_name(int block);

void register_block_benchmarks();

} // namespace bench
