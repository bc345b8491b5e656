#pragma once

#include "output/table.h"

#include <string>
#include <string_view>

namespace output {

// A text cell as CSV (RFC 4180) holds it for a spreadsheet: its controls
// escaped (text/printable.h), so that no NUL, ESC or line break passes raw;
// and where a spreadsheet would take it for a formula (it begins with =, +,
// -, @ or their full-width forms) or where it begins with ' already, one '
// put before it, which spreadsheets show as text and a program strips: a
// text cell that begins with ' had one added. Quoted where it holds a
// comma, a quote or had a ' added.
std::string csv_text(std::string_view text);

// The table as CSV: the headings, then a line per row, each ending in CR LF.
// A figure is its exact value to ten significant digits, unquoted, so that it
// stays a number; a cell without one is empty; a verdict is its word.
std::string csv_table(const Table &table);

} // namespace output
