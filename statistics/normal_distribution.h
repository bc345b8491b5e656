#pragma once

namespace statistics {

// P(Z > z) for a standard normal Z.
double normal_upper_tail(double z);

// The z with P(Z <= z) = probability, which lies strictly between 0 and 1
// (std::invalid_argument otherwise).
double normal_quantile(double probability);

} // namespace statistics
