#pragma once

#include "ab/paired_comparison.h"
#include "output/document.h"

// The comparison as a document in the typed cells every command's tables
// have: a row for A and one for B with its change, interval, p and verdict;
// the summary lines as its notes, and the legend. The terminal, Markdown and
// the page render it; CSV has a table of its own, with the interval's ends
// apart and every figure exact.
namespace ab {

output::Document comparison_document(const PairedComparison &comparison);

// The document's headings of its two lists.
inline constexpr const char *notes_heading = "Notes";
inline constexpr const char *legend_heading = "Legend";

output::Table csv_table(const PairedComparison &comparison);

} // namespace ab
