#pragma once

#include "ab/paired_comparison.h"

#include <span>

// The answer a comparison gives from its rounds' pairs, and the same slices
// judged unpaired, for contrast.
namespace ab {

// From each round's ln(B / A): the Hodges-Lehmann estimate of the change
// with its exact interval at level 1 - alpha, the two-sided Wilcoxon
// signed-rank p, and the verdict: faster or slower where the interval
// leaves out 0 (which the test then finds at alpha), the same within the
// threshold where it holds 0 and lies inside ±threshold percent, and
// otherwise undecided, with about how many rounds a decision would take at
// the spread seen.
Answer paired_answer(std::span<const double> log_ratios, double alpha, double threshold_percent);

// A's and B's judged figures (the rounds' figure, ab/judged_figure.h) as
// `megawhets compare` would judge two groups of separate runs.
UnpairedView unpaired_view(std::span<const double> a, std::span<const double> b);

} // namespace ab
