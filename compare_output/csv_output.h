#pragma once

#include "compare/comparison.h"

#include <string>

namespace compare_output {

// The figures as RFC 4180 CSV, for a spreadsheet or a script: a header
// line, then a line per group or, for a fleet, per host, with plain numbers
// (empty where there is none) rather than the table's words and units. Text
// from records is whole, never cut, but escaped as every CSV cell is
// (output/csv_table.h).
std::string csv_output(const compare::Comparison &comparison);

} // namespace compare_output
