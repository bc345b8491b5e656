#pragma once

#include "text/utf8.h"

#include <cstddef>
#include <string>
#include <string_view>

// The characters no reader should get raw, and how wide text is.
namespace text {

// U+0080 to U+009F: a terminal may take U+009B as the start of a command,
// as it takes ESC [.
bool is_c1_control(char32_t code_point);

// The characters that reorder the text around them (U+061C, U+200E, U+200F,
// U+202A to U+202E, U+2066 to U+2069): "gpu7" then U+202E then "slow" reads
// "gpu7wols".
bool is_bidi_control(char32_t code_point);

// "\u202E": how every output shows a C1 or bidi control.
std::string unicode_escape(char32_t code_point);

// The characters of valid UTF-8 in text, each escape counting one per
// character it is written with: how wide text is in a terminal's columns.
std::size_t character_count_of_utf8(std::string_view text);

} // namespace text
