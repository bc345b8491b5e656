#pragma once

#include "ab/paired_comparison.h"
#include "compare_output/tables.h"

// The comparison laid out as compare lays out its groups: a row for A and
// one for B with its change, interval, p and verdict; the summary lines
// as notes, and the legend.
namespace ab {

compare_output::Tables comparison_tables(const PairedComparison &comparison);

} // namespace ab
