#pragma once

#include "compare/comparison.h"

#include <string>

namespace compare_output {

// A strip chart for each stratum (the hosts with the same processor, build
// and copies): a dot for each host at its steady rate, on the stratum's own
// axis, since strata differ far more than their hosts; the stratum's median
// M as a dashed line; the slow band shaded, from the axis's low end to the
// rate the slow threshold sets below M; and the slow and fast hosts named
// (fleet_plan.h chooses them).
// Empty without hosts.
std::string fleet_chart(const compare::Comparison &comparison);

// What the fleet chart's dots, line and band mean, with the comparison's
// own threshold.
std::string fleet_chart_legend(const compare::Settings &settings);

} // namespace compare_output
