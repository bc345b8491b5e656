#pragma once

#include "record/json_parser.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// JSON texts one after another, as `--json FILE` writes one and a loop of
// `--json - >> runs.json` appends many, read one at a time.
namespace record {

// One text of the sequence: a JSON value, or text that is not one.
struct SequenceText {
  std::size_t start = 0; // the offset of its first byte
  std::size_t end = 0;   // just past its last byte: a value's last, or where the next text may start
  bool json = false;     // a whole JSON value
  // For text that is not JSON, when asked for: the line it starts on, from
  // 1, and where and why it is not, on one line.
  std::size_t line = 0;
  std::string problem{};
};

class JsonSequence {
public:
  explicit JsonSequence(std::string_view text) : text_(text) {}

  // The next text, read with the listener; nothing once only white space is
  // left. After text that is not JSON, the sequence goes on at the next line
  // that starts with '{' (or at a '{' that ends a line where a broken record
  // gives it no place), so that one broken record does not hide the rest;
  // each such text costs the bytes it spans and those of the line it breaks
  // on, so that a file of any shape is read in time that grows with its
  // size. The problem is said only when `describe` asks for it.
  std::optional<SequenceText> next(JsonListener &listener, bool describe = true);

  // The line, from 1, that the byte at `at` is on. Cheap for offsets that
  // grow from one call to the next.
  std::size_t line_of(std::size_t at);

private:
  void skip_to_text();
  std::size_t resume_point(std::size_t start, std::size_t error_at) const;
  std::string break_problem(const JsonBreak &broken, std::size_t start, std::size_t error_at);

  std::string_view text_;
  std::size_t at_ = 0;
  JsonParser parser_{};
  // Lines are counted onwards from a line start already counted, so that
  // naming where each of many breaks lies costs one pass over the text.
  std::size_t counted_to_ = 0;
  std::size_t counted_lines_ = 1;
};

} // namespace record
