#pragma once

#include "bench/median_collector.h"

#include <ostream>

namespace bench {

// After the benchmarks: the latencies measured, then each block's median
// time per iteration beside its dependency-chain floor and the ratio of the
// two.
void print_floor_table(std::ostream &out, const MedianCollector &results);

} // namespace bench
