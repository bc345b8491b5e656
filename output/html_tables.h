#pragma once

#include "output/table.h"

#include <string>
#include <string_view>
#include <vector>

namespace output {

// A table as HTML, with the very cells the terminal shows, whole: figures
// aligned right, text escaped (html_text.h), and each row given the class of
// its verdict (verdict_style.h), which colours it.
//
// With `shorten_text`, a text cell longer than widest_cell (text_table.h) is
// shortened as the terminal shortens it, its whole text kept in the cell's
// title: a program's long path would otherwise push the table past the
// page's right edge.
std::string html_table(const Table &table, bool shorten_text = false);

// Lines of text (notes, the legend, records left out) as a list.
std::string html_list(const std::vector<std::string> &lines, std::string_view css_class);

} // namespace output
