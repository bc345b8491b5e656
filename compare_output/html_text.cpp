#include "compare_output/html_text.h"

#include <cstddef>
#include <vector>

namespace compare_output {
namespace {

constexpr std::string_view replacement_character = "\xEF\xBF\xBD";
constexpr char32_t control_pictures = 0x2400; // U+2400 shows U+0000, and so on to U+241F
constexpr char32_t delete_picture = 0x2421;

void append_utf8(std::string &out, char32_t code_point) {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code_point >> 18));
    out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

struct Decoded {
  char32_t code_point = 0;
  std::size_t length = 0; // the bytes read: a code point's, or those replaced by one U+FFFD
  bool valid = false;
};

// The bytes a second byte may take after a lead byte: narrower than the
// continuation bytes' range where the widest would allow an overlong form,
// a surrogate or a code point above U+10FFFF (RFC 3629).
struct SecondByte {
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
};

SecondByte second_byte(unsigned char lead) {
  switch (lead) {
  case 0xE0:
    return {0xA0, 0xBF};
  case 0xED:
    return {0x80, 0x9F};
  case 0xF0:
    return {0x90, 0xBF};
  case 0xF4:
    return {0x80, 0x8F};
  default:
    return {};
  }
}

bool continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// One code point from the start of text. Bytes that are not UTF-8 are
// taken as browsers decode them: the longest start of a valid sequence is
// replaced by one U+FFFD, and the byte that broke it is read again.
Decoded decode_one(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) {
    return {lead, 1, true};
  }
  std::size_t length = 0;
  char32_t code_point = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code_point = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code_point = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code_point = lead & 0x07;
  } else {
    return {0, 1, false};
  }
  const SecondByte second = second_byte(lead);
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
    const unsigned char low = i == 1 ? second.low : 0x80;
    const unsigned char high = i == 1 ? second.high : 0xBF;
    if (i >= text.size() || byte < low || byte > high) {
      return {0, i, false};
    }
    code_point = (code_point << 6) | (byte & 0x3F);
  }
  return {code_point, length, true};
}

char32_t visible(char32_t code_point) {
  if (code_point == 0x7F) {
    return delete_picture;
  }
  return code_point < 0x20 ? control_pictures + code_point : code_point;
}

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
    const Decoded decoded = decode_one(text);
    if (decoded.valid) {
      append_utf8(out, visible(decoded.code_point));
    } else {
      out += replacement_character;
    }
    text.remove_prefix(decoded.length);
  }
  return out;
}

std::string html_text(std::string_view text) { return escaped(readable_text(text)); }

std::string shortened_html_text(std::string_view text, std::size_t most_characters) {
  const std::string readable = readable_text(text);
  const std::vector<std::size_t> starts = character_starts(readable);
  if (starts.size() <= most_characters || most_characters == 0) {
    return escaped(readable);
  }
  return escaped(std::string_view(readable).substr(0, starts[most_characters - 1])) + "\u2026";
}

std::size_t character_count(std::string_view text) { return character_starts(readable_text(text)).size(); }

} // namespace compare_output
