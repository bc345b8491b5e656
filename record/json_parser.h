#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A strict reader of JSON (RFC 8259), made for files of records that anyone
// may have written: it tells a listener each value as it meets it and keeps
// nothing of its own but the way to the value it is reading, so that a file
// of any shape (deep, wide, long strings, many numbers) costs one pass over
// its bytes and no memory that grows with it. It says where and why text is
// not JSON.
namespace record {

// A string as the text writes it, between its quotes, valid UTF-8 whose
// escapes are undone only by a listener that keeps it.
struct JsonString {
  std::string_view raw{};
  bool escaped = false; // holds a backslash
};

// The string with its escapes undone, up to `limit` bytes of it in `out`;
// returns the length of the whole string undone.
std::size_t unescaped(const JsonString &string, std::string &out, std::size_t limit);

// A number as the text writes it.
struct JsonNumber {
  std::string_view text{};
  bool integer = false; // without a fraction or an exponent
};

// A number's value: an integer where the text is one that 64 bits hold (from
// 0 up, unsigned), otherwise the nearest double.
struct NumberValue {
  enum class Type { signed_integer, unsigned_integer, floating };
  Type type = Type::floating;
  std::int64_t signed_integer = 0;
  std::uint64_t unsigned_integer = 0;
  double floating = 0.0;
  bool underflow = false; // a number other than 0 too small for a double, read as 0
};

NumberValue number_value(const JsonNumber &number);

// Told each value of a text in order: an object's or an array's start, its
// keys and values, and its end.
class JsonListener {
public:
  virtual void begin_object() = 0;
  virtual void key(const JsonString &name) = 0;
  virtual void end_object() = 0;
  virtual void begin_array() = 0;
  virtual void end_array() = 0;
  virtual void null() = 0;
  virtual void boolean(bool value) = 0;
  virtual void number(const JsonNumber &number) = 0;
  virtual void string(const JsonString &string) = 0;

protected:
  ~JsonListener() = default;
};

// Objects and arrays within each other up to this depth; a record is six
// levels deep, and far deeper text is no record.
constexpr std::size_t deepest_json_nesting = 32;

// Why text is not JSON.
enum class JsonBreakKind {
  syntax,           // a byte that has no place there
  text_ends,        // the text ends inside a value
  not_utf8,         // a string's bytes are not valid UTF-8
  too_deep,         // nested deeper than deepest_json_nesting
  number_too_large, // beyond the largest double
};

// What a syntax error is, for its reason.
enum class JsonSyntax : std::uint8_t {
  none,
  invalid_literal,     // a word that is not true, false or null
  unexpected,          // a byte where something else belongs
  control_character,   // a byte below 0x20 in a string
  unknown_escape,      // a backslash before a byte that no escape has
  no_hex_digits,       // \u without four hex digits
  lone_low_surrogate,  // \uDC00..\uDFFF without a high surrogate before it
  lone_high_surrogate, // \uD800..\uDBFF without a low surrogate after it
};

// Where and why a text stops being JSON, kept as cheaply as it is found:
// its words are made only for a message (JsonParser::reason and path).
struct JsonBreak {
  JsonBreakKind kind = JsonBreakKind::syntax;
  std::size_t at = 0; // the offset of the byte where the text stops being JSON; the text's size where it ends
  JsonSyntax syntax = JsonSyntax::none;
  const char *what_belongs = ""; // for an unexpected byte: "':'", "a key in quotes"
};

// Reads one JSON value at a time from a text.
class JsonParser {
public:
  // Reads the value that starts at text[at] (not white space), telling the
  // listener; true when it is whole, and end() is then just past it;
  // otherwise broken() says where and why it is not JSON.
  bool parse(std::string_view text, std::size_t at, JsonListener &listener);

  std::size_t end() const { return end_; }
  const JsonBreak &broken() const { return broken_; }

  // After a value that is not whole, and until the next is read: why, for
  // a syntax error ("invalid literal", "'x' where ':' belongs"), and the
  // path of the value being read ("$.passes[1].megawhets_per_second").
  std::string reason() const;
  std::string path() const;

private:
  struct Level {
    bool array = false;
    bool in_member = false; // an object's, between a key and the end of its value
    std::size_t index = 0;  // an array's elements read so far
    JsonString key{};       // an object's last key
  };

  bool value();
  bool object();
  bool array();
  bool string(JsonString &string);
  bool escape();
  bool number(JsonNumber &number);
  bool literal(std::string_view word);
  void skip_space();
  bool open_level(bool array);

  bool fail(JsonBreakKind kind, const char *at, JsonSyntax syntax = JsonSyntax::none);
  bool fail_unexpected(const char *at, const char *what_belongs);

  const char *begin_ = nullptr;
  const char *p_ = nullptr;
  const char *end_of_text_ = nullptr;
  JsonListener *listener_ = nullptr;
  Level levels_[deepest_json_nesting]{};
  std::size_t depth_ = 0;
  std::size_t end_ = 0;
  JsonBreak broken_{};
};

// A key or a string as a step of a path: `.name` where it is a plain name,
// otherwise quoted in brackets, in ASCII, and cut short if it is long.
std::string path_step(std::string_view key);

} // namespace record
