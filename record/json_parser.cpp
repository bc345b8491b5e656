#include "record/json_parser.h"

#include "text/formatted.h"
#include "text/utf8.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <system_error>

namespace record {
namespace {

// The bytes a string holds as they are: printable ASCII but the quote and
// the backslash. Every other byte needs a closer look.
constexpr std::array<bool, 256> plain_string_bytes = [] {
  std::array<bool, 256> plain{};
  for (int c = 0x20; c < 0x80; ++c) {
    plain[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
  }
  return plain;
}();

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

int hex_value(char c) {
  if (is_digit(c)) {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// The four hex digits of a \u escape at `at`, or -1.
long four_hex_digits(const char *at, const char *end) {
  if (end - at < 4) {
    return -1;
  }
  long value = 0;
  for (int i = 0; i < 4; ++i) {
    const int digit = hex_value(at[i]);
    if (digit < 0) {
      return -1;
    }
    value = value * 16 + digit;
  }
  return value;
}

// The length of the well-formed UTF-8 sequence at `at`, or 0 where there
// is none: a stray continuation byte, an overlong form, a surrogate, a value
// beyond U+10FFFF, or a sequence cut short.
std::size_t utf8_sequence_length(const char *at, const char *end) {
  const text::Decoded decoded = text::decode_one({at, static_cast<std::size_t>(end - at)});
  return decoded.valid ? decoded.length : 0;
}

// A byte as a message names it: itself where it is printable ASCII.
std::string byte_name(char c) {
  if (c > ' ' && c < 0x7F) {
    return std::string("'") + c + "'";
  }
  if (c == ' ') {
    return "a space";
  }
  return text::formatted("byte 0x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
}

// The power of ten of a number's first significant digit, as far as it
// matters: whether the number may lie beyond a double. Exponents are held
// to a million either way, far past any double's.
long decimal_magnitude(std::string_view text) {
  std::size_t at = text.starts_with('-') ? 1 : 0;
  const std::size_t integer_start = at;
  while (at < text.size() && is_digit(text[at])) {
    ++at;
  }
  long magnitude = 0;
  bool significant = false;
  if (at - integer_start > 1 || text[integer_start] != '0') {
    magnitude = static_cast<long>(std::min<std::size_t>(at - integer_start, 1000000)) - 1;
    significant = true;
  }
  if (at < text.size() && text[at] == '.') {
    ++at;
    for (long zeros = 1; at < text.size() && is_digit(text[at]); ++at, ++zeros) {
      if (!significant && text[at] != '0') {
        magnitude = -std::min(zeros, 1000000L);
        significant = true;
      }
    }
  }
  if (!significant) {
    return std::numeric_limits<long>::min(); // zero
  }
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    const bool negative = text[at] == '-';
    at += text[at] == '-' || text[at] == '+' ? 1 : 0;
    long exponent = 0;
    for (; at < text.size(); ++at) {
      exponent = std::min(exponent * 10 + (text[at] - '0'), 1000000L);
    }
    magnitude += negative ? -exponent : exponent;
  }
  return magnitude;
}

} // namespace

std::size_t unescaped(const JsonString &string, std::string &out, std::size_t limit) {
  out.clear();
  if (!string.escaped) {
    out.assign(string.raw.substr(0, limit));
    return string.raw.size();
  }
  // Undone in full, then cut: escapes are rare, and every string given here
  // is either short or about to be refused for its length.
  std::string whole;
  const std::string_view raw = string.raw;
  for (std::size_t at = 0; at < raw.size();) {
    if (raw[at] != '\\') {
      const std::size_t next = std::min(raw.find('\\', at), raw.size());
      whole.append(raw.substr(at, next - at));
      at = next;
      continue;
    }
    const char kind = raw[at + 1];
    at += 2;
    switch (kind) {
    case 'b':
      whole += '\b';
      break;
    case 'f':
      whole += '\f';
      break;
    case 'n':
      whole += '\n';
      break;
    case 'r':
      whole += '\r';
      break;
    case 't':
      whole += '\t';
      break;
    case 'u': {
      // The parser has checked the digits and that a high surrogate is
      // followed by a low one.
      unsigned long code_point =
          static_cast<unsigned long>(four_hex_digits(raw.data() + at, raw.data() + raw.size()));
      at += 4;
      if (code_point >= 0xD800 && code_point <= 0xDBFF) {
        const auto low =
            static_cast<unsigned long>(four_hex_digits(raw.data() + at + 2, raw.data() + raw.size()));
        code_point = 0x10000 + ((code_point - 0xD800) << 10) + (low - 0xDC00);
        at += 6;
      }
      text::append_utf8(whole, static_cast<char32_t>(code_point));
      break;
    }
    default: // '"', '\\' or '/'
      whole += kind;
    }
  }
  out.assign(std::string_view(whole).substr(0, limit));
  return whole.size();
}

NumberValue number_value(const JsonNumber &number) {
  NumberValue value;
  const std::string_view text = number.text;
  const char *const first = text.data();
  const char *const last = text.data() + text.size();
  if (number.integer) {
    if (text.starts_with('-')) {
      std::int64_t signed_integer = 0;
      if (std::from_chars(first, last, signed_integer).ec == std::errc()) {
        value.type = NumberValue::Type::signed_integer;
        value.signed_integer = signed_integer;
        return value;
      }
    } else {
      std::uint64_t unsigned_integer = 0;
      if (std::from_chars(first, last, unsigned_integer).ec == std::errc()) {
        value.type = NumberValue::Type::unsigned_integer;
        value.unsigned_integer = unsigned_integer;
        return value;
      }
    }
  }
  // An integer beyond 64 bits is read as a double, as it is everywhere else
  // that reads JSON into doubles.
  if (std::from_chars(first, last, value.floating).ec == std::errc::result_out_of_range) {
    // The parser has refused a number beyond the largest double, so this
    // one is too small for the smallest.
    value.floating = text.starts_with('-') ? -0.0 : 0.0;
    value.underflow = true;
  }
  return value;
}

bool JsonParser::parse(std::string_view text, std::size_t at, JsonListener &listener) {
  begin_ = text.data();
  p_ = text.data() + at;
  end_of_text_ = text.data() + text.size();
  listener_ = &listener;
  depth_ = 0;
  if (!value()) {
    return false;
  }
  end_ = static_cast<std::size_t>(p_ - begin_);
  return true;
}

void JsonParser::skip_space() {
  while (p_ != end_of_text_ && is_space(*p_)) {
    ++p_;
  }
}

bool JsonParser::fail(JsonBreakKind kind, const char *at, JsonSyntax syntax) {
  broken_ = {.kind = kind, .at = static_cast<std::size_t>(at - begin_), .syntax = syntax};
  return false;
}

bool JsonParser::fail_unexpected(const char *at, const char *what_belongs) {
  if (at == end_of_text_) {
    return fail(JsonBreakKind::text_ends, at);
  }
  broken_ = {.kind = JsonBreakKind::syntax,
             .at = static_cast<std::size_t>(at - begin_),
             .syntax = JsonSyntax::unexpected,
             .what_belongs = what_belongs};
  return false;
}

std::string JsonParser::reason() const {
  const char *const at = begin_ + broken_.at;
  const auto escape = [&] { return "\\u" + std::string(at + 2, 4); };
  switch (broken_.syntax) {
  case JsonSyntax::invalid_literal:
    return "invalid literal";
  case JsonSyntax::unexpected:
    return byte_name(*at) + " where " + broken_.what_belongs + " belongs";
  case JsonSyntax::control_character:
    return text::formatted("a control character, U+%04X, unescaped in a string",
                           static_cast<unsigned>(static_cast<unsigned char>(*at)));
  case JsonSyntax::unknown_escape:
    return byte_name(at[1]) + " after a backslash, which no escape has";
  case JsonSyntax::no_hex_digits:
    return "\\u without four hex digits after it";
  case JsonSyntax::lone_low_surrogate:
    return "a low surrogate, " + escape() + ", without a high one before it";
  case JsonSyntax::lone_high_surrogate:
    return "a high surrogate, " + escape() + ", without a low one after it";
  case JsonSyntax::none:
    break;
  }
  return {};
}

bool JsonParser::value() {
  skip_space();
  if (p_ == end_of_text_) {
    return fail(JsonBreakKind::text_ends, p_);
  }
  switch (*p_) {
  case '{':
    return object();
  case '[':
    return array();
  case '"': {
    JsonString text;
    if (!string(text)) {
      return false;
    }
    listener_->string(text);
    return true;
  }
  case 't':
    if (!literal("true")) {
      return false;
    }
    listener_->boolean(true);
    return true;
  case 'f':
    if (!literal("false")) {
      return false;
    }
    listener_->boolean(false);
    return true;
  case 'n':
    if (!literal("null")) {
      return false;
    }
    listener_->null();
    return true;
  default:
    break;
  }
  if (*p_ == '-' || is_digit(*p_)) {
    JsonNumber figure;
    if (!number(figure)) {
      return false;
    }
    listener_->number(figure);
    return true;
  }
  // A word, as a line of a report among the records would start.
  if (is_letter(*p_)) {
    return fail(JsonBreakKind::syntax, p_, JsonSyntax::invalid_literal);
  }
  return fail_unexpected(p_, "a value");
}

bool JsonParser::literal(std::string_view word) {
  for (const char c : word) {
    if (p_ == end_of_text_) {
      return fail(JsonBreakKind::text_ends, p_);
    }
    if (*p_ != c) {
      return fail(JsonBreakKind::syntax, p_, JsonSyntax::invalid_literal);
    }
    ++p_;
  }
  return true;
}

bool JsonParser::open_level(bool array) {
  if (depth_ == deepest_json_nesting) {
    return fail(JsonBreakKind::too_deep, p_);
  }
  levels_[depth_++] = {.array = array};
  ++p_;
  skip_space();
  return true;
}

bool JsonParser::object() {
  if (!open_level(false)) {
    return false;
  }
  listener_->begin_object();
  Level &level = levels_[depth_ - 1];
  if (p_ != end_of_text_ && *p_ == '}') {
    ++p_;
  } else {
    for (;;) {
      if (p_ == end_of_text_ || *p_ != '"') {
        return fail_unexpected(p_, "a key in quotes");
      }
      JsonString name;
      if (!string(name)) {
        return false;
      }
      level.key = name;
      level.in_member = true;
      listener_->key(name);
      skip_space();
      if (p_ == end_of_text_ || *p_ != ':') {
        return fail_unexpected(p_, "':'");
      }
      ++p_;
      if (!value()) {
        return false;
      }
      level.in_member = false;
      skip_space();
      if (p_ != end_of_text_ && *p_ == ',') {
        ++p_;
        skip_space();
        continue;
      }
      if (p_ != end_of_text_ && *p_ == '}') {
        ++p_;
        break;
      }
      return fail_unexpected(p_, "',' or '}'");
    }
  }
  --depth_;
  listener_->end_object();
  return true;
}

bool JsonParser::array() {
  if (!open_level(true)) {
    return false;
  }
  listener_->begin_array();
  Level &level = levels_[depth_ - 1];
  if (p_ != end_of_text_ && *p_ == ']') {
    ++p_;
  } else {
    for (;;) {
      if (!value()) {
        return false;
      }
      ++level.index;
      skip_space();
      if (p_ != end_of_text_ && *p_ == ',') {
        ++p_;
        continue;
      }
      if (p_ != end_of_text_ && *p_ == ']') {
        ++p_;
        break;
      }
      return fail_unexpected(p_, "',' or ']'");
    }
  }
  --depth_;
  listener_->end_array();
  return true;
}

bool JsonParser::string(JsonString &text) {
  const char *const start = ++p_;
  bool escaped = false;
  for (;;) {
    while (p_ != end_of_text_ && plain_string_bytes[static_cast<unsigned char>(*p_)]) {
      ++p_;
    }
    if (p_ == end_of_text_) {
      return fail(JsonBreakKind::text_ends, p_);
    }
    const auto c = static_cast<unsigned char>(*p_);
    if (c == '"') {
      text = {.raw = std::string_view(start, static_cast<std::size_t>(p_ - start)), .escaped = escaped};
      ++p_;
      return true;
    }
    if (c == '\\') {
      escaped = true;
      if (!escape()) {
        return false;
      }
    } else if (c < 0x20) {
      return fail(JsonBreakKind::syntax, p_, JsonSyntax::control_character);
    } else {
      const std::size_t length = utf8_sequence_length(p_, end_of_text_);
      if (length == 0) {
        return fail(JsonBreakKind::not_utf8, p_);
      }
      p_ += length;
    }
  }
}

bool JsonParser::escape() {
  const char *const backslash = p_;
  if (end_of_text_ - p_ < 2) {
    return fail(JsonBreakKind::text_ends, end_of_text_);
  }
  const char kind = p_[1];
  if (kind != 'u') {
    if (std::string_view("\"\\/bfnrt").find(kind) == std::string_view::npos) {
      return fail(JsonBreakKind::syntax, backslash, JsonSyntax::unknown_escape);
    }
    p_ += 2;
    return true;
  }
  const long code_point = four_hex_digits(p_ + 2, end_of_text_);
  if (code_point < 0) {
    return end_of_text_ - p_ < 6 ? fail(JsonBreakKind::text_ends, end_of_text_)
                                 : fail(JsonBreakKind::syntax, backslash, JsonSyntax::no_hex_digits);
  }
  p_ += 6;
  if (code_point >= 0xDC00 && code_point <= 0xDFFF) {
    return fail(JsonBreakKind::syntax, backslash, JsonSyntax::lone_low_surrogate);
  }
  if (code_point >= 0xD800 && code_point <= 0xDBFF) {
    const long low =
        end_of_text_ - p_ >= 2 && p_[0] == '\\' && p_[1] == 'u' ? four_hex_digits(p_ + 2, end_of_text_) : -1;
    if (low < 0xDC00 || low > 0xDFFF) {
      return fail(JsonBreakKind::syntax, backslash, JsonSyntax::lone_high_surrogate);
    }
    p_ += 6;
  }
  return true;
}

bool JsonParser::number(JsonNumber &figure) {
  const char *const start = p_;
  bool integer = true;
  const auto digits = [&] {
    if (p_ == end_of_text_ || !is_digit(*p_)) {
      return fail_unexpected(p_, "a digit");
    }
    while (p_ != end_of_text_ && is_digit(*p_)) {
      ++p_;
    }
    return true;
  };
  if (*p_ == '-') {
    ++p_;
  }
  if (p_ != end_of_text_ && *p_ == '0') {
    ++p_;
  } else if (!digits()) {
    return false;
  }
  if (p_ != end_of_text_ && *p_ == '.') {
    integer = false;
    ++p_;
    if (!digits()) {
      return false;
    }
  }
  if (p_ != end_of_text_ && (*p_ == 'e' || *p_ == 'E')) {
    integer = false;
    ++p_;
    if (p_ != end_of_text_ && (*p_ == '+' || *p_ == '-')) {
      ++p_;
    }
    if (!digits()) {
      return false;
    }
  }
  figure = {.text = std::string_view(start, static_cast<std::size_t>(p_ - start)), .integer = integer};
  // Beyond the largest double (about 1.8e308) no number is read: most are
  // told by their first digit's place alone, and those near it by reading.
  const long magnitude = decimal_magnitude(figure.text);
  double value = 0.0;
  if (magnitude > 308 ||
      (magnitude == 308 && std::from_chars(start, p_, value).ec == std::errc::result_out_of_range)) {
    return fail(JsonBreakKind::number_too_large, start);
  }
  return true;
}

std::string JsonParser::path() const {
  std::string path = "$";
  std::string key;
  for (std::size_t i = 0; i < depth_; ++i) {
    const Level &level = levels_[i];
    if (level.array) {
      path += "[" + std::to_string(level.index) + "]";
    } else if (level.in_member) {
      // Enough of a long key to show the first 40 characters of it.
      unescaped(level.key, key, 48);
      path += path_step(key);
    }
  }
  return path;
}

std::string path_step(std::string_view key) {
  const bool plain = !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
    return is_letter(c) || is_digit(c) || c == '_';
  });
  if (plain && key.size() <= 40) {
    return "." + std::string(key);
  }
  // In ASCII, each character that is not printable ASCII as its \u escape,
  // so that no key can carry a control character or a look-alike into a
  // message; a byte that is no character as U+FFFD.
  std::string quoted = "\"";
  for (std::size_t at = 0; at < key.size();) {
    const auto c = static_cast<unsigned char>(key[at]);
    if (c >= 0x80) {
      const text::Decoded decoded = text::decode_one(key.substr(at));
      const std::size_t length = decoded.valid ? decoded.length : 0;
      unsigned long code_point = decoded.valid ? decoded.code_point : 0xFFFD;
      if (code_point >= 0x10000) {
        code_point -= 0x10000;
        quoted +=
            text::formatted("\\u%04lx\\u%04lx", 0xD800 + (code_point >> 10), 0xDC00 + (code_point & 0x3FF));
      } else {
        quoted += text::formatted("\\u%04lx", code_point);
      }
      at += length == 0 ? 1 : length;
      continue;
    }
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      quoted += text::formatted("\\u%04x", static_cast<unsigned>(c));
    } else {
      quoted += static_cast<char>(c);
    }
    ++at;
  }
  quoted += '"';
  if (quoted.size() > 40) {
    quoted = quoted.substr(0, 36) + "...\"";
  }
  return "[" + quoted + "]";
}

} // namespace record
