#pragma once

#include "ab/paired_comparison.h"

#include <string>

namespace ab {

// "faster", "slower", "same" or "undecided": as the JSON and CSV give it,
// and as every output's table of verdicts words it.
std::string verdict_name(Verdict verdict);

// As the table and the page give it: "same within \u00b11 %" for the same.
std::string verdict_words(Verdict verdict, double threshold_percent);

} // namespace ab
