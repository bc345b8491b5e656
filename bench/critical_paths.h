#pragma once

#include <span>

// The dependency chains that bound the blocks, and the time they need at the
// latencies this machine shows: no block can run faster than its chain.
namespace bench {

struct Latencies {
  double double_add_ns;
  double double_multiply_ns;
  double double_divide_ns;
  double integer_add_ns;
  // What a chain pays, beyond the two latencies, each time it goes from the
  // adder to the multiplier (or divider) and back; zero where results pass
  // between them as fast as within each.
  double adder_round_trip_ns;
};

// The longest chain of dependent operations that one loop iteration of a
// block adds to the chain carried from the iteration before, as read from
// the block's assembly built by g++ -O2 for x86-64 (see critical_paths.cpp).
struct CriticalPath {
  int block;
  int double_adds; // subtractions and negated additions included
  int double_multiplies;
  int double_divides;
  int integer_adds; // subtractions included
  int adder_round_trips;
  const char *chain;
};

std::span<const CriticalPath> critical_paths();

// The sum of the chain's operation latencies.
double floor_ns(const CriticalPath &path, const Latencies &latencies);

// The same with each of the chain's round trips between adder and multiplier
// or divider costing what the add-then-multiply chain shows it costs.
double floor_with_round_trips_ns(const CriticalPath &path, const Latencies &latencies);

} // namespace bench
