#include "text/utf8.h"

namespace text {
namespace {

// The bytes a second byte may take after a lead byte: narrower than the
// continuation bytes' range where the widest would allow an overlong form,
// a surrogate or a code point above U+10FFFF.
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

} // namespace

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

} // namespace text
