#include "record/label.h"

#include "text/formatted.h"
#include "text/utf8.h"

namespace record {
namespace {

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
    const text::Decoded decoded = text::decode_one(text.substr(at));
    if (!decoded.valid) {
      return "is not valid UTF-8 at byte " + std::to_string(at + 1);
    }
    const auto code_point = static_cast<unsigned>(decoded.code_point);
    if (is_control_character(code_point)) {
      return text::formatted("holds a control character, U+%04X, at byte ", code_point) +
             std::to_string(at + 1);
    }
    at += decoded.length;
  }
  return {};
}

} // namespace record
