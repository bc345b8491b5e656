#pragma once

#include "compare_output/tables.h"

#include <string>

namespace compare_output {

// For a terminal, or a file: the table aligned (text_table.h), the notes,
// the legend, what was left out and, for a fleet, the slow hosts whose names
// are no host names, then the others as the last line, which `tail -n 1`
// hands to scontrol or a shell as it is. With `colour`, each verdict takes
// its colour (verdict_style.h), always beside its word. Text from records
// has its controls shown as escapes (text/printable.h).
std::string text_output(const Tables &tables, bool fleet, bool colour);

} // namespace compare_output
