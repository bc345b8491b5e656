#pragma once

#include "compare_output/tables.h"

#include <string>
#include <string_view>
#include <vector>

namespace compare_output {

// A table as HTML, with the very cells the terminal shows: figures aligned
// right, and each row given the class in row_classes at its index (the
// group's or the host's standing, which colours it), where there is one.
std::string html_table(const Table &table, const std::vector<std::string_view> &row_classes);

// Lines of text (notes, the legend, records left out) as a list.
std::string html_list(const std::vector<std::string> &lines, std::string_view css_class);

} // namespace compare_output
