#include "text/printable.h"

#include "text/characters.h"
#include "text/formatted.h"
#include "text/utf8.h"

namespace text {

std::string printable(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  while (!text.empty()) {
    const Decoded decoded = decode_one(text);
    if (!decoded.valid || decoded.code_point < 0x20 || decoded.code_point == 0x7F) {
      for (std::size_t k = 0; k < decoded.length; ++k) {
        shown += text::formatted("\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(text[k])));
      }
    } else if (is_c1_control(decoded.code_point) || is_bidi_control(decoded.code_point)) {
      shown += unicode_escape(decoded.code_point);
    } else {
      shown.append(text.substr(0, decoded.length));
    }
    text.remove_prefix(decoded.length);
  }
  return shown;
}

std::string quoted(std::string_view text) { return "'" + printable(text) + "'"; }

std::string shortened(std::string_view printable, std::size_t most_characters) {
  if (most_characters == 0 || character_count_of_utf8(printable) <= most_characters) {
    return std::string(printable);
  }
  std::size_t characters = 0;
  std::size_t at = 0;
  for (; at < printable.size(); ++at) {
    if ((static_cast<unsigned char>(printable[at]) & 0xC0) != 0x80 && ++characters == most_characters) {
      break;
    }
  }
  return std::string(printable.substr(0, at)) + "\u2026";
}

} // namespace text
