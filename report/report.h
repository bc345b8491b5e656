#pragma once

#include "pass/figures.h"

#include <cstdint>
#include <string>

// The report's text, formatted apart from any pass so that every byte of it
// can be checked without timing anything.
namespace report {

// The rule under each pass header: 0xCD bytes, which code page 437 consoles
// show as a double line, or the same line as UTF-8 for terminals that use it.
enum class RuleStyle { code_page_437, utf8 };

std::string pass_header(int pass, std::int32_t outer, std::int32_t inner);
std::string rule_line(RuleStyle style);
std::string pass_results(const pass::PassFigures &figures);
std::string comparison_block(const pass::PassFigures &first, const pass::PassFigures &second);
// After a pass that ran in copies: how many, and the fastest and slowest
// copy's own elapsed seconds.
std::string copies_line(unsigned copies, double fastest_seconds, double slowest_seconds);
// Empty when no advice is needed (see pass::advice_needed).
std::string advice(double total_seconds, const pass::Counts &counts);

} // namespace report
