#pragma once

#include "compare_output/tables.h"

#include <string>

namespace compare_output {

// The table as GitHub-flavoured Markdown, then the notes, the legend and
// what was left out as lists, and for a fleet the slow hosts.
std::string markdown_output(const Tables &tables, bool fleet);

} // namespace compare_output
