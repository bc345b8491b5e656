#pragma once

#include "compare/comparison.h"

#include <string>

// The words every output gives a verdict in.
namespace compare_output {

// "base"; "n<4" with too few records to judge; "~" for no significant
// change; otherwise "faster" or "slower".
std::string group_verdict(const compare::GroupResult &group);

// "ok", "slow", "fast" or "unjudged".
std::string host_verdict(compare::FleetVerdict verdict);

} // namespace compare_output
