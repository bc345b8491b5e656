#pragma once

#include "ab/paired_comparison.h"

#include <cstddef>
#include <string>

// The page's two charts, which show why pairing works: A's and B's figures
// wander together with the machine, while the ratio of each round's pair
// stays flat.
namespace ab {

// A's and B's figure of each slice against the seconds since the
// comparison began, each program a line through its slices, with a
// legend that names them.
std::string figures_chart(const PairedComparison &comparison);

// B against A round by round in percent, each round a dot, with the
// answer's interval as a band in its verdict's colour, the estimate as a
// line, the threshold's bounds dashed, and the unpaired interval of the
// same slices beside it for contrast. The scale holds the answer and the
// bulk of the rounds; a round far out lies on the plot's edge, hollow.
std::string ratios_chart(const PairedComparison &comparison);

// How many rounds the ratios chart draws off its scale.
std::size_t rounds_off_scale(const PairedComparison &comparison);

} // namespace ab
