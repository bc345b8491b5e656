#include "output/html_text.h"

#include "text/characters.h"

#include <cstddef>
#include <vector>

namespace output {
namespace {

constexpr std::string_view replacement_character = "\xEF\xBF\xBD";
constexpr char32_t control_pictures = 0x2400; // U+2400 shows U+0000, and so on to U+241F
constexpr char32_t delete_picture = 0x2421;

// A C0 control as its picture; a C1 or bidi control, which has none, as its
// escape, which every other output gives it too.
void append_visible(std::string &out, char32_t code_point) {
  if (code_point == 0x7F) {
    text::append_utf8(out, delete_picture);
  } else if (code_point < 0x20) {
    text::append_utf8(out, control_pictures + code_point);
  } else if (text::is_c1_control(code_point) || text::is_bidi_control(code_point)) {
    out += text::unicode_escape(code_point);
  } else {
    text::append_utf8(out, code_point);
  }
}

bool continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

std::string_view reference(char character) {
  switch (character) {
  case '&':
    return "&amp;";
  case '<':
    return "&lt;";
  case '>':
    return "&gt;";
  case '"':
    return "&quot;";
  case '\'':
    return "&#39;";
  default:
    return {};
  }
}

std::string escaped(std::string_view readable) {
  std::string out;
  out.reserve(readable.size());
  for (const char character : readable) {
    const std::string_view as_reference = reference(character);
    if (as_reference.empty()) {
      out += character;
    } else {
      out += as_reference;
    }
  }
  return out;
}

// Where each character of valid UTF-8 starts.
std::vector<std::size_t> character_starts(std::string_view readable) {
  std::vector<std::size_t> starts;
  for (std::size_t at = 0; at < readable.size(); ++at) {
    if (!continuation(static_cast<unsigned char>(readable[at]))) {
      starts.push_back(at);
    }
  }
  return starts;
}

} // namespace

std::string readable_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const text::Decoded decoded = text::decode_one(text);
    if (decoded.valid) {
      append_visible(out, decoded.code_point);
    } else {
      out += replacement_character;
    }
    text.remove_prefix(decoded.length);
  }
  return out;
}

std::string html_text(std::string_view text) { return escaped(readable_text(text)); }

std::string html_attribute(std::string_view name, std::string_view value) {
  return " " + std::string(name) + "=\"" + html_text(value) + "\"";
}

std::string shortened_html_text(std::string_view text, std::size_t most_characters) {
  const std::string readable = readable_text(text);
  const std::vector<std::size_t> starts = character_starts(readable);
  if (starts.size() <= most_characters || most_characters == 0) {
    return escaped(readable);
  }
  return escaped(std::string_view(readable).substr(0, starts[most_characters - 1])) + "\u2026";
}

std::size_t character_count(std::string_view text) { return character_starts(readable_text(text)).size(); }

} // namespace output
