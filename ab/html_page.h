#pragma once

#include "ab/paired_comparison.h"
#include "output/document.h"

#include <string>
#include <vector>

namespace ab {

// The comparison as one self-contained page, in the frame every page of the
// program has (no script, nothing loaded): the answer, A's and B's figures
// over time, the rounds' ratios with the interval as a band, then the
// table, the lines under it and the legend, as the text output gives them.
std::string html_page(const PairedComparison &comparison, const output::Document &document);

} // namespace ab
