#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A run's label names what the user changed for it ("BIOS C-states off",
// "gcc-13 -O3"), so that a comparison can group runs by it. It is shown in
// tables, Markdown, CSV and pages, so it is one line of UTF-8 text, short
// enough for a column.
namespace record {

constexpr std::size_t longest_label = 200; // bytes

// What is wrong with the text as a label, as a clause that follows "the
// label" ("is empty", "is 250 bytes long, more than 200", ...); empty for a
// good label.
std::string label_problem(std::string_view text);

// The same for a label's length alone, for a reader that does not keep the
// whole of a long one.
std::string label_length_problem(std::size_t bytes);

} // namespace record
