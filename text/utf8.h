#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 read and written one code point at a time: what the record's reader
// checks text from outside against, and what every output escapes it by.
namespace text {

struct Decoded {
  char32_t code_point = 0;
  std::size_t length = 0; // the bytes read: a code point's, or those replaced by one U+FFFD
  bool valid = false;
};

// One code point from the start of text, which is not empty. Bytes that
// are not UTF-8 are taken as browsers decode them: the longest start of a
// valid sequence is invalid as a whole, and the byte that broke it is read
// again (RFC 3629).
Decoded decode_one(std::string_view text);

void append_utf8(std::string &out, char32_t code_point);

} // namespace text
