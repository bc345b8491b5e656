#pragma once

#include "bench/median_collector.h"

#include <ostream>

// What it costs a pass to read the clock after every group of outer
// iterations: one reading, beside the least work a group holds (one outer
// iteration at inner count 1000, the smallest that is read after every
// iteration).
namespace bench {

void register_group_reading_benchmarks();

void print_group_reading_cost(std::ostream &out, const MedianCollector &results);

} // namespace bench
