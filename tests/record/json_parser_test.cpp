// The records' JSON reader at the edges of the format: nesting at its limit,
// every escape and surrogate pair, numbers at and past a double's range,
// and where it says the text stops being JSON.

#include "record/json_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using record::JsonBreakKind;
using record::JsonSyntax;

// Keeps each string value, its escapes undone, and each number's text.
class Kept final : public record::JsonListener {
public:
  std::vector<std::string> strings;
  std::vector<record::NumberValue> numbers; // read as they are met, while their text lives

  void begin_object() override {}
  void key(const record::JsonString &) override {}
  void end_object() override {}
  void begin_array() override {}
  void end_array() override {}
  void null() override {}
  void boolean(bool) override {}
  void number(const record::JsonNumber &number) override { numbers.push_back(record::number_value(number)); }
  void string(const record::JsonString &string) override {
    std::string out;
    record::unescaped(string, out, 1000);
    strings.push_back(out);
  }
};

struct Parsed {
  bool whole = false;
  record::JsonBreak broken{};
  std::string path;
  Kept kept;
};

Parsed parse(const std::string &text) {
  Parsed parsed;
  record::JsonParser parser;
  parsed.whole = parser.parse(text, 0, parsed.kept);
  if (!parsed.whole) {
    parsed.broken = parser.broken();
    parsed.path = parser.path();
  }
  return parsed;
}

std::string nested(std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); }

TEST(JsonParser, ReadsNestingToItsLimitAndNoDeeper) {
  EXPECT_TRUE(parse(nested(record::deepest_json_nesting)).whole);
  const Parsed deeper = parse(nested(record::deepest_json_nesting + 1));
  EXPECT_FALSE(deeper.whole);
  EXPECT_EQ(deeper.broken.kind, JsonBreakKind::too_deep);
  EXPECT_EQ(deeper.broken.at, record::deepest_json_nesting);
}

TEST(JsonParser, UndoesEveryEscapeAndSurrogatePair) {
  struct Case {
    const char *text;
    std::string undone;
  };
  for (const Case &one : {Case{R"("\"\\\/")", "\"\\/"}, Case{R"("\b\f\n\r\t")", "\b\f\n\r\t"},
                          Case{R"("\u0041\u00e9\u20AC")", "A\xC3\xA9\xE2\x82\xAC"},
                          Case{R"("\u0000")", std::string(1, '\0')},
                          Case{R"("\uD83D\uDE00")", "\xF0\x9F\x98\x80"},
                          Case{R"("\uDBFF\uDFFF")", "\xF4\x8F\xBF\xBF"}, Case{"\"\xE2\x82\xAC\"", "\xE2\x82\xAC"}}) {
    const Parsed parsed = parse(one.text);
    ASSERT_TRUE(parsed.whole) << one.text;
    ASSERT_EQ(parsed.kept.strings.size(), 1U) << one.text;
    EXPECT_EQ(parsed.kept.strings[0], one.undone) << one.text;
  }
}

TEST(JsonParser, SaysWhyAndWhereAStringIsNotJson) {
  struct Case {
    std::string text;
    JsonBreakKind kind;
    JsonSyntax syntax;
    std::size_t at;
  };
  for (const Case &one : {Case{R"("\x")", JsonBreakKind::syntax, JsonSyntax::unknown_escape, 1},
                          Case{R"("\u12xy")", JsonBreakKind::syntax, JsonSyntax::no_hex_digits, 1},
                          Case{R"("\u12")", JsonBreakKind::text_ends, JsonSyntax::none, 6},
                          Case{R"("\uD83D")", JsonBreakKind::syntax, JsonSyntax::lone_high_surrogate, 1},
                          Case{R"("\uD83D\u0041")", JsonBreakKind::syntax, JsonSyntax::lone_high_surrogate, 1},
                          Case{R"("\uDE00")", JsonBreakKind::syntax, JsonSyntax::lone_low_surrogate, 1},
                          Case{"\"a\tb\"", JsonBreakKind::syntax, JsonSyntax::control_character, 2},
                          Case{"\"a\xC3\"", JsonBreakKind::not_utf8, JsonSyntax::none, 2},
                          Case{"\"\xED\xA0\x80\"", JsonBreakKind::not_utf8, JsonSyntax::none, 1},
                          Case{"\"abc", JsonBreakKind::text_ends, JsonSyntax::none, 4}}) {
    const Parsed parsed = parse(one.text);
    EXPECT_FALSE(parsed.whole) << one.text;
    EXPECT_EQ(parsed.broken.kind, one.kind) << one.text;
    EXPECT_EQ(parsed.broken.syntax, one.syntax) << one.text;
    EXPECT_EQ(parsed.broken.at, one.at) << one.text;
  }
}

TEST(JsonParser, ReadsNumbersToTheEdgesOfTheirTypes) {
  using Type = record::NumberValue::Type;
  struct Case {
    const char *text;
    Type type;
    double floating; // for a floating value
    bool underflow;
  };
  for (const Case &one : {Case{"18446744073709551615", Type::unsigned_integer, 0.0, false},
                          Case{"18446744073709551616", Type::floating, 18446744073709551616.0, false},
                          Case{"-9223372036854775808", Type::signed_integer, 0.0, false},
                          Case{"1.7976931348623157e308", Type::floating, 1.7976931348623157e308, false},
                          Case{"4.9e-324", Type::floating, 4.9e-324, false},
                          Case{"1e-400", Type::floating, 0.0, true}, Case{"-0.0", Type::floating, 0.0, false}}) {
    const Parsed parsed = parse(one.text);
    ASSERT_TRUE(parsed.whole) << one.text;
    ASSERT_EQ(parsed.kept.numbers.size(), 1U);
    const record::NumberValue &value = parsed.kept.numbers[0];
    EXPECT_EQ(value.type, one.type) << one.text;
    if (one.type == Type::floating) {
      EXPECT_EQ(value.floating, one.floating) << one.text;
    }
    EXPECT_EQ(value.underflow, one.underflow) << one.text;
  }
  for (const char *beyond : {"1e309", "-1e309", "1.8e308"}) {
    const Parsed parsed = parse(std::string("[") + beyond + "]");
    EXPECT_FALSE(parsed.whole) << beyond;
    EXPECT_EQ(parsed.broken.kind, JsonBreakKind::number_too_large) << beyond;
  }
  for (const char *malformed : {"01", "1.", ".5", "-", "1e", "+1", "0x10"}) {
    EXPECT_FALSE(parse(std::string("[") + malformed + "]").whole) << malformed;
  }
}

TEST(JsonParser, NamesThePathToWhereTheTextBroke) {
  const Parsed parsed = parse(R"({"passes": [{"a": 1}, {"megawhets_per_second": tru}]})");
  EXPECT_FALSE(parsed.whole);
  EXPECT_EQ(parsed.broken.syntax, JsonSyntax::invalid_literal);
  EXPECT_EQ(parsed.path, "$.passes[1].megawhets_per_second");
}

} // namespace
