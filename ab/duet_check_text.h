#pragma once

#include "ab/paired_comparison.h"

#include <string>

// The words of the A/A check before a duet: A beside itself on the two
// processors, and A alone.
namespace ab {

// The check fails where the processors differ by the threshold or more, or
// where A runs this much slower beside itself than alone.
constexpr double largest_duet_slowdown_percent = 10.0;

// "1.2 % slower beside itself than alone", or faster, as the check's one
// decimal shows it: never "-1.0 % slower" or "-0.0 % slower".
std::string beside_itself_text(double slowdown_percent);

// Why the check failed: each rule it broke.
std::string duet_check_failure(const DuetCheck &check, double threshold_percent);

} // namespace ab
