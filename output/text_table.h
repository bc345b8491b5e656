#pragma once

#include "output/table.h"

#include <cstddef>
#include <string>

namespace output {

// A cell wider than this, in characters, is shortened with an ellipsis in a
// terminal's table and in Markdown: a name a million bytes long would
// otherwise pad every row of the table to its width. CSV and JSON keep the
// whole text.
inline constexpr std::size_t widest_cell = 60;

// The table for a terminal, or a file: a line per row, the columns aligned
// by characters, figures to the right, text with its controls escaped
// (text/printable.h) and shortened to widest_cell. With `colour`, a verdict
// cell takes its verdict's colour (verdict_style.h), beside its word.
std::string text_table(const Table &table, bool colour);

} // namespace output
