#include "text/characters.h"

#include "text/formatted.h"

#include <algorithm>

namespace text {
bool is_c1_control(char32_t code_point) { return code_point >= 0x80 && code_point <= 0x9F; }

bool is_bidi_control(char32_t code_point) {
  return code_point == 0x061C || code_point == 0x200E || code_point == 0x200F ||
         (code_point >= 0x202A && code_point <= 0x202E) || (code_point >= 0x2066 && code_point <= 0x2069);
}

std::string unicode_escape(char32_t code_point) {
  return text::formatted("\\u%04X", static_cast<unsigned>(code_point));
}

std::size_t character_count_of_utf8(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(
      text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

} // namespace text
