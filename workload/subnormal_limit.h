#pragma once

#include <cstdint>

namespace workload {

// Every outer iteration starts E1 again from (1, -1, -1, -1), and blocks 2 and
// 3 then shrink it by the same factor at each of their 12n and 14n steps. Up
// to this inner count n the values they leave are still normal doubles; from
// the next count on they reach the subnormal range, which many processors
// compute far more slowly. Found by running the two blocks; a test holds it
// to them.
constexpr std::uint32_t largest_inner_count_without_subnormals = 327583;

} // namespace workload
