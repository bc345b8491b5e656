#include "bench/critical_paths.h"

#include <array>

namespace bench {
namespace {

// Blocks 1 and 2, per iteration of the four lines a, b, c, d. Line 1 can add
// a + b + c early and waits only for the previous d: 1 sub + 1 mul. Lines 2
// and 3 each wait for the line before: 3 add/sub + 1 mul each. Line 4 is
// compiled as d + ((b - a) + c), so after c it needs 2 adds + 1 mul.
// Together 9 add/sub and 4 mul; every mul is entered from an add and left
// to one, so the chain makes 4 round trips between adder and multiplier.
//
// Block 3, per call of mix_array: six rounds of the same four lines, with a
// division by T2 in place of line 4's multiplication, so 6 x (9 add/sub,
// 3 mul, 1 div) and 6 x 4 round trips, taken to cost for the divider what
// they cost for the multiplier. Assumed free: the call and return, and the
// store of E1 at the end of one call and its reload at the start of the next
// (a store forwarding on the chain from one call's last d to the next call's
// first line), since only the arithmetic is the block's work.
//
// Blocks 4 and 6: the counter's increment; compare and branch run beside it.
//
// Block 9, per iteration: j += k, k += j, j -= k, k -= j, k -= j, each
// waiting for the one before: 5 integer adds and subtractions.
constexpr std::array kCriticalPaths{
    CriticalPath{1, 9, 4, 0, 0, 4, "9 add/sub + 4 mul"},
    CriticalPath{2, 9, 4, 0, 0, 4, "9 add/sub + 4 mul"},
    CriticalPath{3, 54, 18, 6, 0, 24, "6 x (9 add/sub + 3 mul + 1 div) per call"},
    CriticalPath{4, 0, 0, 0, 1, 0, "1 integer add"},
    CriticalPath{6, 0, 0, 0, 1, 0, "1 integer add"},
    CriticalPath{9, 0, 0, 0, 5, 0, "5 integer add/sub"},
};

} // namespace

std::span<const CriticalPath> critical_paths() { return kCriticalPaths; }

double floor_ns(const CriticalPath &path, const Latencies &latencies) {
  return path.double_adds * latencies.double_add_ns + path.double_multiplies * latencies.double_multiply_ns +
         path.double_divides * latencies.double_divide_ns + path.integer_adds * latencies.integer_add_ns;
}

double floor_with_round_trips_ns(const CriticalPath &path, const Latencies &latencies) {
  return floor_ns(path, latencies) + path.adder_round_trips * latencies.adder_round_trip_ns;
}

} // namespace bench
