#pragma once

#include "compare/verdict.h"

#include <string_view>

// How every output shows a verdict: its word, the class that colours it on
// the page, and its colour on a terminal, from one table. The colours are
// blue and orange, which readers with any common colour blindness tell
// apart, and they always stand beside the word. A new verdict is one more
// row of the table (verdict_style.cpp).
namespace output {

enum class TerminalColour { none, blue, orange };

struct VerdictStyle {
  compare::Verdict verdict;
  std::string_view word;      // as the tables, CSV and JSON give it: "faster", "~", "n<4"
  std::string_view css_class; // the page's: "faster", "unclear", "few"
  TerminalColour colour;
};

const VerdictStyle &verdict_style(compare::Verdict verdict);

std::string_view verdict_word(compare::Verdict verdict);

// What a verdict that rests on disturbed runs has after its word: "faster
// (disturbed)".
inline constexpr std::string_view disturbed_mark = " (disturbed)";

} // namespace output
