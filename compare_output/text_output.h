#pragma once

#include "compare_output/tables.h"

#include <string>

namespace compare_output {

// For a terminal, or a file: the table aligned, the notes, the legend, what
// was left out and, for a fleet, the slow hosts as the last line, which
// `tail -n 1` hands to scontrol or a shell as it is. With `colour`, the
// verdicts are blue (faster, fast) and orange (slower, slow), always beside
// their words. Text from records has its control bytes shown as escapes.
std::string text_output(const Tables &tables, bool fleet, bool colour);

} // namespace compare_output
