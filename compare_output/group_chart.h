#pragma once

#include "compare/comparison.h"

#include <cstddef>
#include <string>

namespace compare_output {

// Beyond this many groups a chart of bars is no longer read at a glance:
// 40 rows fill about a screen and a half, and with more, the names can no
// longer be read beside one another. Such comparisons are mostly fleets,
// each host a group of one or two records, whose strip chart shows every
// host against its peers far better; the groups table still holds them all.
inline constexpr std::size_t most_groups_charted = 40;

// The groups as horizontal bars from zero, so that a bar twice as long
// stands for a rate twice as high: each group's median steady rate as the
// bar, a dot for each record, the 95 % interval as a whisker, and a dashed
// line at the base's median. Empty when there are no groups or more than
// most_groups_charted.
std::string group_chart(const compare::Comparison &comparison);

// What the group chart's colours, dots and whiskers mean: against the base,
// or in a fleet, each host against its stratum.
std::string group_chart_legend(bool fleet);

} // namespace compare_output
