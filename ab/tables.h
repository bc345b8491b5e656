#pragma once

#include "ab/paired_comparison.h"
#include "compare_output/tables.h"

// The comparison laid out as compare lays out its groups, in the same typed
// cells: a row for A and one for B with its change, interval, p and
// verdict; the summary lines as notes, and the legend. The terminal,
// Markdown and the page render these; CSV has a table of its own, with the
// interval's ends apart and every figure exact.
namespace ab {

compare_output::Tables comparison_tables(const PairedComparison &comparison);

output::Table csv_table(const PairedComparison &comparison);

} // namespace ab
