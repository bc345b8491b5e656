#pragma once

#include "ab/paired_comparison.h"

#include <string>

namespace ab {

// The comparison as JSON (ab-comparison.schema.json): the settings and
// seed, the programs, the mode and why, every slice's figures and start,
// the rounds in their order, the answer and the unpaired view. What
// --format json writes, and --json FILE keeps.
std::string json_output(const PairedComparison &comparison);

} // namespace ab
