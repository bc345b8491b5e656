#pragma once

#include "compare/comparison.h"
#include "compare_output/tables.h"

#include <string>

namespace compare_output {

// The comparison as one self-contained page: the fleet's strip charts and
// the groups' chart in inline SVG, then the same tables, notes and legend
// as the text output, the records left out, and the slow hosts. It holds
// no script and loads nothing: its Content-Security-Policy forbids any
// load, so that it can be mailed, archived and opened anywhere as it is.
std::string html_page(const compare::Comparison &comparison, const Tables &tables);

} // namespace compare_output
