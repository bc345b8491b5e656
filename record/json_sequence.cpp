#include "record/json_sequence.h"

#include <algorithm>

namespace record {
namespace {

bool is_json_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool is_line_start(std::string_view text, std::size_t at) { return at == 0 || text[at - 1] == '\n'; }

std::size_t line_start(std::string_view text, std::size_t at) {
  const std::size_t newline = text.rfind('\n', at == 0 ? 0 : at - 1);
  return at == 0 || newline == std::string_view::npos ? 0 : newline + 1;
}

// Windows PowerShell 5 writes what `>` redirects as UTF-16, with a byte
// order mark, and other tools without one. JSON starts with an ASCII
// character, so UTF-16 shows as a NUL byte beside each of the first ASCII
// bytes.
bool is_utf16(std::string_view text) {
  if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
    return true;
  }
  if (text.size() < 2) {
    return false;
  }
  const auto byte = [&](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0U; };
  const bool little_endian =
      byte(0) != 0 && byte(0) < 0x80 && byte(1) == 0 && (text.size() < 4 || byte(3) == 0);
  const bool big_endian = byte(0) == 0 && byte(1) != 0 && byte(1) < 0x80 && (text.size() < 4 || byte(2) == 0);
  return little_endian || big_endian;
}

// Where a record may start after a broken one: a '{' at the start of a line,
// as every record the program writes starts; or, where a record was cut off
// in the middle of a line and the next was appended after it, a '{' that
// ends its line after text that leaves it no place as a value inside the
// broken record (an element of an array is indented, a member follows ':').
bool may_start_record(std::string_view text, std::size_t at) {
  if (is_line_start(text, at)) {
    return true;
  }
  const std::string_view after = text.substr(at + 1, 2);
  if (after.substr(0, 1) != "\n" && after != "\r\n") {
    return false;
  }
  std::size_t before = at;
  while (before > 0 && (text[before - 1] == ' ' || text[before - 1] == '\t')) {
    --before;
  }
  return !is_line_start(text, before) &&
         std::string_view(":,[").find(text[before - 1]) == std::string_view::npos;
}

} // namespace

std::size_t JsonSequence::line_of(std::size_t at) {
  if (at < counted_to_) {
    counted_to_ = 0;
    counted_lines_ = 1;
  }
  const std::size_t start = line_start(text_, at);
  counted_lines_ +=
      static_cast<std::size_t>(std::count(text_.begin() + static_cast<std::ptrdiff_t>(counted_to_),
                                          text_.begin() + static_cast<std::ptrdiff_t>(start), '\n'));
  counted_to_ = start;
  return counted_lines_;
}

std::size_t JsonSequence::resume_point(std::size_t start, std::size_t error_at) const {
  for (std::size_t at = text_.find('{', std::max(start + 1, line_start(text_, error_at)));
       at != std::string_view::npos; at = text_.find('{', at + 1)) {
    if (may_start_record(text_, at)) {
      return at;
    }
  }
  return text_.size();
}

// White space, and the byte order mark some Windows editors start a file
// with, come before a text and are not part of it.
void JsonSequence::skip_to_text() {
  for (;;) {
    if (at_ < text_.size() && is_json_space(text_[at_])) {
      ++at_;
    } else if (text_.substr(at_, 3) == "\xEF\xBB\xBF") {
      at_ += 3;
    } else {
      return;
    }
  }
}

// The problem of a broken text, on one line: nested too deep, a record cut
// short (by the end of the text, or by another that starts on the line
// where it breaks), a number beyond a double, text that is not UTF-8, or
// text that is not JSON.
std::string JsonSequence::break_problem(const JsonBreak &broken, std::size_t start, std::size_t error_at) {
  const std::string where = "line " + std::to_string(line_of(error_at));
  const std::string column = ", column " + std::to_string(error_at - line_start(text_, error_at) + 1);
  if (broken.kind == JsonBreakKind::too_deep) {
    return parser_.path() + ": nested more than " + std::to_string(deepest_json_nesting) +
           " levels deep, at " + where;
  }
  if (broken.kind == JsonBreakKind::text_ends && (text_[start] == '{' || text_[start] == '[')) {
    return "cut short: the text ends inside the record, at " + where;
  }
  if (at_ < text_.size() && line_start(text_, at_) == line_start(text_, error_at)) {
    return "cut short at " + where + ": another record starts there before this one ends";
  }
  switch (broken.kind) {
  case JsonBreakKind::number_too_large:
    return parser_.path() + ": a number too large for a double, at " + where;
  case JsonBreakKind::not_utf8:
    return parser_.path() + ": text that is not valid UTF-8, at " + where + column;
  case JsonBreakKind::text_ends:
    return "not JSON at " + where + column + ": the text ends inside a value";
  default:
    return "not JSON at " + where + column + ": " + parser_.reason();
  }
}

std::optional<SequenceText> JsonSequence::next(JsonListener &listener, bool describe) {
  if (at_ == 0 && is_utf16(text_)) {
    at_ = text_.size();
    return SequenceText{
        .start = 0,
        .end = text_.size(),
        .line = 1,
        .problem = describe ? "text in UTF-16, as Windows PowerShell's > writes it: a record is UTF-8, "
                              "as --json FILE writes it"
                            : ""};
  }
  skip_to_text();
  if (at_ == text_.size()) {
    return std::nullopt;
  }
  const std::size_t start = at_;
  if (parser_.parse(text_, start, listener)) {
    at_ = parser_.end();
    return SequenceText{.start = start, .end = at_, .json = true};
  }
  const JsonBreak &broken = parser_.broken();
  const std::size_t error_at = std::min(broken.at, text_.size() - 1);
  at_ = resume_point(start, error_at);
  SequenceText broken_text{.start = start, .end = at_};
  if (describe) {
    broken_text.line = line_of(start);
    broken_text.problem = break_problem(broken, start, error_at);
  }
  return broken_text;
}

} // namespace record
