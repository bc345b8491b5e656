#pragma once

#include "compare_output/table.h"

#include <string>
#include <string_view>
#include <vector>

namespace compare_output {

// A table as HTML, with the very cells the terminal shows, whole: figures
// aligned right, text escaped (html_text.h), and each row given the class of
// its verdict (verdict_style.h), which colours it.
std::string html_table(const Table &table);

// Lines of text (notes, the legend, records left out) as a list.
std::string html_list(const std::vector<std::string> &lines, std::string_view css_class);

} // namespace compare_output
