#pragma once

#include "ab/paired_comparison.h"

#include <string>

namespace ab {

// The table as CSV: a row for A and one for B, the figures unrounded.
std::string csv_output(const PairedComparison &comparison);

} // namespace ab
