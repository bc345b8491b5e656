#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// JSON texts one after another, as `--json FILE` writes one and a loop of
// `--json - >> runs.json` appends many, read one at a time. Only the record's
// reader includes this, so that nlohmann's headers stay out of every other
// file.
namespace record {

// One JSON text of the sequence: its value, or where and why it is not JSON.
struct JsonText {
  std::optional<nlohmann::ordered_json> value{};
  std::string problem{}; // one line, when there is no value
};

class JsonSequence {
public:
  explicit JsonSequence(std::string_view text);

  // The next text; nothing once only white space is left. After text that
  // is not JSON, the sequence goes on at the next line that starts with '{',
  // so that one broken record does not hide the rest.
  std::optional<JsonText> next();

private:
  void skip_to_text();
  std::size_t line_of(std::size_t at);
  std::size_t resume_point(std::size_t start, std::size_t error_at) const;

  std::string_view text_;
  std::size_t at_ = 0;
  // Lines are counted onwards from a line start already counted, so that
  // naming where each of many breaks lies costs one pass over the text.
  std::size_t counted_to_ = 0;
  std::size_t counted_lines_ = 1;
};

} // namespace record
