#pragma once

#include "workload/barriers.h"

// The procedures that blocks 3, 7 and 8 call. They live in a translation unit
// of their own and carry MEGAWHETS_REAL_CALL, so the blocks time a genuine
// call and return for every iteration.
namespace workload {

// Six rounds of a four-line recurrence over `e`, scaled by T and divided by T2.
MEGAWHETS_REAL_CALL void mix_array(double (&e)[4]);

// Stores (u + v) / T2 in `z`, where u = T * (x + y) and v = T * (u + y).
MEGAWHETS_REAL_CALL void mix_pair(const double &x, const double &y, double &z);

// Rotates three elements of E1 through the indices J, K and L, which must each
// lie in 0 to 3.
MEGAWHETS_REAL_CALL void rotate_elements();

} // namespace workload
