#include "record/json_sequence.h"

#include "report/formatted.h"

#include <algorithm>
#include <vector>

namespace record {
namespace {

using Json = nlohmann::ordered_json;

// A record is six levels deep; far deeper text is no record, and would cost
// memory for nothing.
constexpr std::size_t deepest_nesting = 32;

bool is_json_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool is_line_start(std::string_view text, std::size_t at) { return at == 0 || text[at - 1] == '\n'; }

std::size_t line_start(std::string_view text, std::size_t at) {
  const std::size_t newline = text.rfind('\n', at == 0 ? 0 : at - 1);
  return at == 0 || newline == std::string_view::npos ? 0 : newline + 1;
}

// Where a value known to be valid JSON ends, found by its brackets and
// quotes alone.
std::size_t value_end(std::string_view text, std::size_t start) {
  std::size_t depth = 0;
  bool in_string = false;
  for (std::size_t i = start; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        in_string = false;
        if (depth == 0) {
          return i + 1;
        }
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      if (--depth == 0) {
        return i + 1;
      }
    } else if (depth == 0 &&
               (is_json_space(c) || std::string_view("{}[],:\"").find(c) != std::string_view::npos)) {
      return i;
    }
  }
  return text.size();
}

// A key as a step of a path: `.name` where it is a plain name, otherwise
// quoted in brackets, in ASCII, and cut short if it is long.
std::string path_step(const std::string &key) {
  const bool plain = !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  });
  if (plain && key.size() <= 40) {
    return "." + key;
  }
  std::string quoted = Json(key).dump(-1, ' ', true, Json::error_handler_t::replace);
  if (quoted.size() > 40) {
    quoted = quoted.substr(0, 36) + "...\"";
  }
  return "[" + quoted + "]";
}

// Builds the value of one JSON text as nlohmann's parser reports it, and
// knows at each moment the path of the value being read, which names where
// text that is not valid UTF-8 lies.
class ValueBuilder : public nlohmann::json_sax<Json> {
public:
  struct Break {
    std::size_t position = 0; // from 1, of the last byte read; 0 when the parser did not say
    std::string reason{};
    int error_id = 0;
  };

  bool null() override { return add(nullptr); }
  bool boolean(bool value) override { return add(value); }
  bool number_integer(number_integer_t value) override { return add(value); }
  bool number_unsigned(number_unsigned_t value) override { return add(value); }
  bool number_float(number_float_t value, const string_t &) override { return add(value); }
  bool string(string_t &value) override { return add(std::move(value)); }
  bool binary(binary_t &) override { return false; } // JSON text holds none
  bool start_object(std::size_t) override { return open(Json::object()); }
  bool start_array(std::size_t) override { return open(Json::array()); }
  bool end_object() override { return close(); }
  bool end_array() override { return close(); }

  bool key(string_t &name) override {
    levels_.back().key = std::move(name);
    levels_.back().in_member = true;
    return true;
  }

  bool parse_error(std::size_t position, const std::string &,
                   const nlohmann::detail::exception &error) override {
    break_ = {position, error.what(), error.id};
    return false;
  }

  Json &value() { return root_; }
  const std::optional<Break> &broken() const { return break_; }

  // The path of the value being read: "$.passes[1].megawhets_per_second".
  std::string path() const {
    std::string path = "$";
    for (std::size_t i = 0; i < levels_.size(); ++i) {
      const Level &level = levels_[i];
      if (level.container->is_array()) {
        // An array below the last holds, as its last element, the one open
        // inside it; the last is reading its next.
        const std::size_t inside = i + 1 < levels_.size() ? 1 : 0;
        path += "[" + std::to_string(level.container->size() - inside) + "]";
      } else if (level.in_member) {
        path += path_step(level.key);
      }
    }
    return path;
  }

private:
  struct Level {
    Json *container;
    std::string key{};
    bool in_member = false; // between a key and the end of its value
  };

  Json &place(Json value) {
    if (levels_.empty()) {
      root_ = std::move(value);
      return root_;
    }
    Json &container = *levels_.back().container;
    if (container.is_object()) {
      return container[levels_.back().key] = std::move(value);
    }
    container.push_back(std::move(value));
    return container.back();
  }

  void value_done() {
    if (!levels_.empty()) {
      levels_.back().in_member = false;
    }
  }

  bool add(Json value) {
    place(std::move(value));
    value_done();
    return true;
  }

  bool open(Json container) {
    if (levels_.size() >= deepest_nesting) {
      break_ = Break{.reason = "nested more than " + std::to_string(deepest_nesting) + " levels deep"};
      return false;
    }
    levels_.push_back({&place(std::move(container))});
    return true;
  }

  bool close() {
    levels_.pop_back();
    value_done();
    return true;
  }

  Json root_{};
  std::vector<Level> levels_{};
  std::optional<Break> break_{};
};

// nlohmann's own words for a syntax error, without its prefix and without
// the text it last read, which can be long: "invalid literal",
// "unexpected '{'; expected string literal".
std::string parser_reason(const std::string &what) {
  const std::size_t dash = what.find(" - ");
  std::string reason = dash == std::string::npos ? what : what.substr(dash + 3);
  reason = reason.substr(0, reason.find("; last read:"));
  return report::printable(reason);
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
  return !is_line_start(text, before) && std::string_view(":,[").find(text[before - 1]) == std::string_view::npos;
}

struct Positions {
  std::size_t start;    // of the broken text
  std::size_t error_at; // the last byte the parser read
  std::size_t resume;   // where the next text starts
};

// The problem of a broken text, on one line: a record cut short (by the end
// of the text, or by another that starts on the line where it breaks), a
// value nlohmann cannot hold, or text that is not JSON.
std::string break_problem(std::string_view text, const ValueBuilder &builder, Positions at, std::size_t line) {
  const ValueBuilder::Break &broken = *builder.broken();
  const std::string where = "line " + std::to_string(line);
  const std::string column = ", column " + std::to_string(at.error_at - line_start(text, at.error_at) + 1);
  if (broken.position == 0) {
    return builder.path() + ": " + broken.reason + ", at " + where;
  }
  if (broken.position > text.size() - at.start && (text[at.start] == '{' || text[at.start] == '[')) {
    return "cut short: the text ends inside the record, at " + where;
  }
  if (at.resume < text.size() && line_start(text, at.resume) == line_start(text, at.error_at)) {
    return "cut short at " + where + ": another record starts there before this one ends";
  }
  if (broken.error_id == 406) {
    return builder.path() + ": a number too large for a double, at " + where;
  }
  if (static_cast<unsigned char>(text[at.error_at]) >= 0x80 &&
      broken.reason.find("ill-formed UTF-8") != std::string::npos) {
    return builder.path() + ": text that is not valid UTF-8, at " + where + column;
  }
  return "not JSON at " + where + column + ": " + parser_reason(broken.reason);
}

} // namespace

JsonSequence::JsonSequence(std::string_view text) : text_(text) {}

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

std::optional<JsonText> JsonSequence::next() {
  // Windows PowerShell 5 writes what `>` redirects as UTF-16, which no
  // byte of JSON's can be read from.
  if (at_ == 0 && (text_.starts_with("\xFF\xFE") || text_.starts_with("\xFE\xFF"))) {
    at_ = text_.size();
    return JsonText{.problem = "text in UTF-16, as Windows PowerShell's > writes it: a record is UTF-8, as "
                               "--json FILE writes it"};
  }
  skip_to_text();
  if (at_ == text_.size()) {
    return std::nullopt;
  }
  const std::size_t start = at_;
  ValueBuilder builder;
  if (Json::sax_parse(text_.data() + start, text_.data() + text_.size(), &builder,
                      Json::input_format_t::json, false)) {
    at_ = value_end(text_, start);
    return JsonText{.value = std::move(builder.value())};
  }
  const ValueBuilder::Break &broken = *builder.broken();
  const std::size_t error_at =
      broken.position == 0 ? start : std::min(start + broken.position - 1, text_.size() - 1);
  at_ = resume_point(start, error_at);
  const std::size_t line = line_of(error_at);
  return JsonText{.problem = break_problem(text_, builder, {start, error_at, at_}, line)};
}

} // namespace record
