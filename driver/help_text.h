#pragma once

#include <string>
#include <string_view>

// A command's help, written as paragraphs and option lists, set to the
// width of a terminal of 80 columns.
namespace driver {

constexpr std::size_t help_width = 79;

// Each paragraph of prose (lines that start with no space) is filled to
// `width`; each option ("  --name ...", and the indented lines after it) is
// filled to `width` with its description kept in its own column; any other
// line too long is broken with a deeper indent. Blank lines, and the words
// and their order, are kept.
std::string fitted_help(std::string_view text, std::size_t width = help_width);

} // namespace driver
