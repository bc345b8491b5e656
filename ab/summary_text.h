#pragma once

#include "ab/paired_comparison.h"

#include <string>
#include <vector>

// The comparison's answer and circumstances in words, as every output
// shows them beside its table.
namespace ab {

// "-0.36 %" with two decimals; "-" for what is not a number.
std::string percent_text(double percent);

// "-0.52 .. -0.20 %", or the range's words where the rounds were too few.
std::string interval_text(const Answer &answer);

// "95 %": the level the interval holds the true change at, however the run
// stopped.
std::string confidence_text(double alpha);

// The lines under the table: the answer, the mode and why, the rounds and
// seconds, the seed and warned slices, the unpaired view, what went wrong.
std::vector<std::string> summary_lines(const PairedComparison &comparison);

// What each column and figure means.
std::vector<std::string> legend_lines(const PairedComparison &comparison);

// The progress line a terminal shows between rounds: "round 12, 25 s:
// -0.84 % (-1.10 .. -0.58 %)", at most 79 columns.
std::string progress_line(const PairedComparison &comparison, const Answer &answer, double seconds);

} // namespace ab
