#pragma once

#include <cstdint>
#include <limits>

// A pass's outer iterations, timed in groups as they run, so that a change of
// the machine's speed part-way through shows as groups that ran slower than
// the fastest one. Only what the verdict needs is kept, in fixed memory,
// however many groups a pass runs.
namespace pass {

// The least work, in units of the inner count, that one group holds: about
// 7-10 ms on a current server core, so that a clock reading between groups
// costs far less than 0.01 % of a pass.
constexpr std::uint32_t least_group_work = 1000;

// The fewest outer iterations whose work reaches least_group_work, with the
// inner count taken as unsigned; 0 for an inner count of 0, whose
// iterations do no measurable work and are never read in groups.
std::uint32_t outer_iterations_per_group(std::int32_t inner);

struct IterationGroups {
  std::uint32_t outer_per_group = 0;
  std::uint64_t full = 0;
  double fastest = std::numeric_limits<double>::infinity(); // seconds
  double slowest = 0.0;                                     // seconds
  // The least processor time the thread spent on one group: the group's
  // work without the time other programs had the processor. Not a number
  // where the system cannot tell.
  double fastest_processor = std::numeric_limits<double>::infinity(); // seconds

  // Called between outer iterations inside the timed interval: no
  // allocation, no output, nothing but a few comparisons.
  void add(double seconds, double processor_seconds) {
    ++full;
    fastest = seconds < fastest ? seconds : fastest;
    slowest = seconds > slowest ? seconds : slowest;
    // A comparison with a NaN is false: one unreadable clock leaves NaN.
    fastest_processor = processor_seconds < fastest_processor || processor_seconds != processor_seconds
                            ? processor_seconds
                            : fastest_processor;
  }
};

} // namespace pass
