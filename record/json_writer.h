#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Writes JSON text, indented two spaces a level. Every number keeps the
// precision it needs to be read back as the same double, and a value that is
// not finite, which JSON cannot hold, is written as null. Text that is not
// valid UTF-8 (a processor name in a legacy code page, say) has each bad byte
// replaced, so the document is always valid JSON.
namespace record {

class JsonWriter {
public:
  JsonWriter &begin_object();
  JsonWriter &end_object();
  JsonWriter &begin_array();
  JsonWriter &end_array();
  // Names the next value, inside an object.
  JsonWriter &key(std::string_view name);
  JsonWriter &string(std::string_view text);
  JsonWriter &number(double value);
  JsonWriter &integer(std::int64_t value);
  JsonWriter &boolean(bool value);
  JsonWriter &null();

  // The document so far, ending in a line break once it is complete.
  std::string text() const;

private:
  void before_value();
  void open(char bracket);
  void close(char bracket);
  void new_line();

  std::string out_;
  std::vector<bool> empty_; // per open level: nothing written in it yet
  bool after_key_ = false;
};

// The text as a JSON string, quotes included.
std::string json_string(std::string_view text);
// The shortest text that reads back as `value`; "null" when it is not finite.
std::string number_text(double value);

} // namespace record
