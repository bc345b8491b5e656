// Text from records on the page: whatever bytes it holds, it stays text.

#include "output/html_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using output::html_text;
using output::shortened_html_text;

const std::string replacement = "\xEF\xBF\xBD";

struct TextCase {
  const char *name;
  std::string bytes;
  std::string shown;
};

void PrintTo(const TextCase &text, std::ostream *out) { *out << text.name; }

class PageText : public ::testing::TestWithParam<TextCase> {};

TEST_P(PageText, IsEscapedAndValidUtf8) { EXPECT_EQ(html_text(GetParam().bytes), GetParam().shown); }

// Bytes that are not UTF-8 give as many U+FFFD as a browser (and Python's
// decode with errors="replace") gives: one for the longest start of a valid
// sequence, one for each byte that can start none.
INSTANTIATE_TEST_SUITE_P(
    Texts, PageText,
    ::testing::Values(
        TextCase{"markup and quotes", "a&b<c>\"d'e", "a&amp;b&lt;c&gt;&quot;d&#39;e"},
        TextCase{"UTF-8 kept", "caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80",
                 "caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80"},
        TextCase{"controls shown as pictures", std::string("\x01\t\n\x7F", 4) + std::string(1, '\0'),
                 "\xE2\x90\x81\xE2\x90\x89\xE2\x90\x8A\xE2\x90\xA1\xE2\x90\x80"},
        TextCase{"bidi and C1 controls, as every output escapes them", "gpu7\u202Ewols\u2066\u009B",
                 "gpu7\\u202Ewols\\u2066\\u009B"},
        TextCase{"a byte that starts nothing",
                 "a\xFF"
                 "b",
                 "a" + replacement + "b"},
        TextCase{"a sequence cut short", "\xE2\x82", replacement},
        TextCase{"a sequence broken by a letter", "\xE2\x82x", replacement + "x"},
        TextCase{"an overlong form", "\xC0\xAF", replacement + replacement},
        TextCase{"a surrogate", "\xED\xA0\x80", replacement + replacement + replacement},
        TextCase{"above U+10FFFF", "\xF4\x90\x80\x80", replacement + replacement + replacement + replacement},
        TextCase{"a stray continuation after a whole one", "\xF0\x9F\x98\x80\x80",
                 "\xF0\x9F\x98\x80" + replacement}));

TEST(ShortenedText, CutsWholeCharactersBeforeEscapingAndMarksTheCut) {
  EXPECT_EQ(shortened_html_text("abcd", 4), "abcd");
  EXPECT_EQ(shortened_html_text("abcde", 4), "abc\xE2\x80\xA6");
  // An entity is never cut in half: the cut counts characters, not bytes.
  EXPECT_EQ(shortened_html_text("<<<<<", 3), "&lt;&lt;\xE2\x80\xA6");
  EXPECT_EQ(shortened_html_text("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xA7\xE3\x81\x99", 3),
            "\xE6\x97\xA5\xE6\x9C\xAC\xE2\x80\xA6");
}

} // namespace
