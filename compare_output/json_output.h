#pragma once

#include "compare/comparison.h"

#include <string>

namespace compare_output {

// The comparison as JSON, for programs: every figure with full precision,
// null where there is none. Its layout is compare_output/comparison.schema.json.
std::string json_output(const compare::Comparison &comparison);

} // namespace compare_output
