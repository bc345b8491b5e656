#pragma once

#include <span>
#include <vector>

namespace statistics {

// A rate that is not a finite number has no place in an order, and sorting
// one would break the order's rules, so every function here refuses it: it
// throws std::invalid_argument. This is the last guard: the caller, which
// knows the record a rate came from, refuses such a rate first and names
// the record.
void require_finite(std::span<const double> values);

// The values in ascending order.
std::vector<double> sorted_values(std::span<const double> values);

} // namespace statistics
