#pragma once

#include <string>

// One benchmark per block of the workload, timing the very functions the
// program runs, named block_1 to block_10.
namespace bench {

std::string block_benchmark_name(int block);

void register_block_benchmarks();

} // namespace bench
