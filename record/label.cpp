#include "record/label.h"

#include "report/formatted.h"

namespace record {
namespace {

bool is_continuation(unsigned char byte) { return byte >= 0x80 && byte <= 0xBF; }

// The length of the well-formed UTF-8 sequence at text[at], or 0 where there
// is none: a stray continuation byte, an overlong form, a surrogate, a value
// beyond U+10FFFF, or a sequence cut short.
std::size_t utf8_sequence_length(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead < 0x80) {
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (at + length > text.size() || byte(1) < low || byte(1) > high) {
    return 0;
  }
  for (std::size_t i = 2; i < length; ++i) {
    if (!is_continuation(byte(i))) {
      return 0;
    }
  }
  return length;
}

// The code point of a character of one or two bytes; no control character
// takes more.
unsigned short_code_point(std::string_view sequence) {
  const auto byte = [&](std::size_t i) {
    return static_cast<unsigned>(static_cast<unsigned char>(sequence[i]));
  };
  if (sequence.size() == 1) {
    return byte(0);
  }
  return sequence.size() == 2 ? (byte(0) & 0x1FU) << 6 | (byte(1) & 0x3FU) : 0x800U;
}

// C0, DEL and C1: any of them could break a line or drive a terminal
// wherever the label is shown.
bool is_control_character(unsigned code_point) {
  return code_point < 0x20 || (code_point >= 0x7F && code_point <= 0x9F);
}

} // namespace

std::string label_length_problem(std::size_t bytes) {
  if (bytes == 0) {
    return "is empty";
  }
  if (bytes > longest_label) {
    return "is " + std::to_string(bytes) + " bytes long, more than " + std::to_string(longest_label);
  }
  return {};
}

std::string label_problem(std::string_view text) {
  if (std::string problem = label_length_problem(text.size()); !problem.empty()) {
    return problem;
  }
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = utf8_sequence_length(text, at);
    if (length == 0) {
      return "is not valid UTF-8 at byte " + std::to_string(at + 1);
    }
    const unsigned code_point = short_code_point(text.substr(at, length));
    if (is_control_character(code_point)) {
      return report::formatted("holds a control character, U+%04X, at byte ", code_point) +
             std::to_string(at + 1);
    }
    at += length;
  }
  return {};
}

} // namespace record
