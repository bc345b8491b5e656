#include "record/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace record {
namespace {

// The length of the well-formed UTF-8 sequence starting text[at], or 0 when
// there is none there (a stray continuation byte, an overlong form, a
// surrogate, a value beyond U+10FFFF, or a sequence cut short).
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
    if (byte(i) < 0x80 || byte(i) > 0xBF) {
      return 0;
    }
  }
  return length;
}

void append_escaped(std::string &out, char c) {
  switch (c) {
  case '"':
    out += "\\\"";
    break;
  case '\\':
    out += "\\\\";
    break;
  case '\n':
    out += "\\n";
    break;
  case '\r':
    out += "\\r";
    break;
  case '\t':
    out += "\\t";
    break;
  default:
    if (static_cast<unsigned char>(c) < 0x20) {
      char code[8];
      std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(c));
      out += code;
    } else {
      out += c;
    }
  }
}

} // namespace

std::string json_string(std::string_view text) {
  std::string out = "\"";
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = utf8_sequence_length(text, at);
    if (length == 0) {
      out += "\\ufffd";
      ++at;
    } else if (length == 1) {
      append_escaped(out, text[at++]);
    } else {
      out.append(text, at, length);
      at += length;
    }
  }
  return out + "\"";
}

std::string number_text(double value) {
  if (!std::isfinite(value)) {
    return "null";
  }
  // The shortest digits that read back as the value, written out in full
  // between 1e-7 and 1e21, as JavaScript writes numbers, and with an
  // exponent beyond.
  const double magnitude = std::fabs(value);
  const auto format = magnitude == 0.0 || (magnitude >= 1e-7 && magnitude < 1e21) ? std::chars_format::fixed
                                                                                  : std::chars_format::scientific;
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value, format);
  return std::string(text, result.ptr);
}

JsonWriter &JsonWriter::begin_object() {
  open('{');
  return *this;
}

JsonWriter &JsonWriter::end_object() {
  close('}');
  return *this;
}

JsonWriter &JsonWriter::begin_array() {
  open('[');
  return *this;
}

JsonWriter &JsonWriter::end_array() {
  close(']');
  return *this;
}

JsonWriter &JsonWriter::key(std::string_view name) {
  before_value();
  out_ += json_string(name) + ": ";
  after_key_ = true;
  return *this;
}

JsonWriter &JsonWriter::string(std::string_view text) {
  before_value();
  out_ += json_string(text);
  return *this;
}

JsonWriter &JsonWriter::number(double value) {
  before_value();
  out_ += number_text(value);
  return *this;
}

JsonWriter &JsonWriter::integer(std::int64_t value) {
  before_value();
  out_ += std::to_string(value);
  return *this;
}

JsonWriter &JsonWriter::boolean(bool value) {
  before_value();
  out_ += value ? "true" : "false";
  return *this;
}

JsonWriter &JsonWriter::null() {
  before_value();
  out_ += "null";
  return *this;
}

std::string JsonWriter::text() const { return empty_.empty() && !out_.empty() ? out_ + "\n" : out_; }

// A value after a key follows it on its line; any other starts a line of
// its own, after a comma if its level already holds one.
void JsonWriter::before_value() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (!empty_.empty()) {
    if (!empty_.back()) {
      out_ += ',';
    }
    empty_.back() = false;
    new_line();
  }
}

void JsonWriter::open(char bracket) {
  before_value();
  out_ += bracket;
  empty_.push_back(true);
}

void JsonWriter::close(char bracket) {
  const bool was_empty = empty_.back();
  empty_.pop_back();
  if (!was_empty) {
    new_line();
  }
  out_ += bracket;
}

void JsonWriter::new_line() {
  out_ += '\n';
  out_.append(2 * empty_.size(), ' ');
}

} // namespace record
