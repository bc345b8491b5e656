#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

// Text from outside (a record, an argument, a file name) as a terminal,
// Markdown or CSV gets it, with every control written as an escape, so that
// no name can move the cursor, start a terminal's command, end a line or a
// field, or turn the text around it: C0 controls, DEL and bytes that are not
// UTF-8 as "\x1B", C1 and bidi controls as "\u009B" or "\u202E". Every
// message and every output shows such text through this one function.
std::string printable(std::string_view text);

// Text from outside as a message names it: printable, in single quotes.
std::string quoted(std::string_view text);

// At most most_characters characters of already printable text, the last of
// them an ellipsis where it was longer.
std::string shortened(std::string_view printable, std::size_t most_characters);

} // namespace text
