// The run record's JSON: text escaped whatever bytes it holds, numbers that
// read back as the same doubles, and null for what JSON cannot hold.

#include "record/json_writer.h"
#include "record/timestamp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

using namespace record;

struct TextCase {
  const char *name;
  std::string text;
  const char *json;
};

class JsonText : public ::testing::TestWithParam<TextCase> {};

TEST_P(JsonText, IsAlwaysValidJson) { EXPECT_EQ(json_string(GetParam().text), GetParam().json) << GetParam().name; }

INSTANTIATE_TEST_SUITE_P(
    ProcessorNames, JsonText,
    ::testing::Values(
        TextCase{"plain", "AMD EPYC 7763 64-Core Processor", "\"AMD EPYC 7763 64-Core Processor\""},
        TextCase{"quotes and backslashes", "a \"b\" \\c", "\"a \\\"b\\\" \\\\c\""},
        TextCase{"control bytes", std::string("tab\there\nnul\0bell\a", 18), "\"tab\\there\\nnul\\u0000bell\\u0007\""},
        TextCase{"UTF-8 kept", "Intel\xC2\xAE Core\xE2\x84\xA2 \xF0\x9F\x98\x80", "\"Intel\xC2\xAE Core\xE2\x84\xA2 \xF0\x9F\x98\x80\""},
        TextCase{"a legacy code page's byte", "Intel\xAE", "\"Intel\\ufffd\""},
        TextCase{"a sequence cut short", "x\xE2\x84", "\"x\\ufffd\\ufffd\""},
        TextCase{"an overlong form", "\xC0\x80", "\"\\ufffd\\ufffd\""},
        TextCase{"a surrogate", "\xED\xA0\x80", "\"\\ufffd\\ufffd\\ufffd\""},
        TextCase{"beyond U+10FFFF", "\xF4\x90\x80\x80", "\"\\ufffd\\ufffd\\ufffd\\ufffd\""}));

struct NumberCase {
  double value;
  const char *json;
};

class JsonNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(JsonNumber, ReadsBackAsTheSameDouble) {
  const std::string text = number_text(GetParam().value);
  EXPECT_EQ(text, GetParam().json);
  if (std::isfinite(GetParam().value)) {
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), GetParam().value);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, JsonNumber,
    ::testing::Values(NumberCase{0.1, "0.1"}, NumberCase{12345678.901234567, "12345678.901234567"},
                      NumberCase{0.999937500625, "0.999937500625"}, NumberCase{1e300, "1e+300"},
                      NumberCase{5e-324, "5e-324"}, NumberCase{-0.0, "-0"}, NumberCase{200000, "200000"}, NumberCase{1e-7, "0.0000001"},
                      NumberCase{1e21, "1e+21"},
                      NumberCase{std::numeric_limits<double>::infinity(), "null"},
                      NumberCase{-std::numeric_limits<double>::infinity(), "null"},
                      NumberCase{std::numeric_limits<double>::quiet_NaN(), "null"}));

TEST(JsonWriter, IndentsAndSeparatesEachLevel) {
  JsonWriter json;
  json.begin_object().key("a").integer(-3).key("b").begin_array().number(0.5).null().boolean(true).end_array();
  json.key("c").begin_object().end_object().key("d").begin_array().end_array().key("e").string("x").end_object();
  EXPECT_EQ(json.text(), "{\n  \"a\": -3,\n  \"b\": [\n    0.5,\n    null,\n    true\n  ],\n  \"c\": {},\n"
                         "  \"d\": [],\n  \"e\": \"x\"\n}\n");
}

TEST(Timestamp, IsUtcInRfc3339) {
  using namespace std::chrono;
  const sys_days day = year{2026} / December / 8;
  EXPECT_EQ(rfc3339_utc(day + hours{17} + seconds{45} + milliseconds{999}), "2026-12-08T17:00:45Z");
  EXPECT_EQ(rfc3339_utc(sys_days{year{2000} / February / 29} - seconds{1}), "2000-02-28T23:59:59Z");
}

} // namespace
