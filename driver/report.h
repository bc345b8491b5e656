#pragma once

#include <cstdint>
#include <string>

// The report's text, formatted apart from any pass so that every byte of it
// can be checked without timing anything.
namespace driver {

// The rule under each pass header: 0xCD bytes, which code page 437 consoles
// show as a double line, or the same line as UTF-8 for terminals that use it.
enum class RuleStyle { code_page_437, utf8 };

// A rate is shown divided by 1024, not 1000.
constexpr double megawhets_per_rate_unit = 0.0009765625;

struct PassFigures {
  double elapsed; // seconds
  double rate;    // work units * 100 per second
};

// Inner count times outer count, formed in 32 bits and read as unsigned.
double work_units(std::int32_t inner, std::int32_t outer);
double pass_rate(double units, double elapsed);

// Pass 2's inner count: twice pass 1's, doubled in 32 bits.
std::int32_t doubled_count(std::int32_t count);

// How far pass 2 departs from twice pass 1.
struct Comparison {
  double time_error;    // seconds: pass 2's time minus twice pass 1's
  double rate_error;    // megaWhets per second: pass 1's rate minus pass 2's
  double percent_error; // that difference relative to pass 2's rate
};

Comparison compare_passes(const PassFigures &first, const PassFigures &second);

std::string pass_header(int pass, std::int32_t outer, std::int32_t inner);
std::string rule_line(RuleStyle style);
std::string pass_results(const PassFigures &figures);
std::string comparison_block(const PassFigures &first, const PassFigures &second);
// After a pass that ran in copies: how many, and the fastest and slowest
// copy's own elapsed seconds.
std::string copies_line(unsigned copies, double fastest_seconds, double slowest_seconds);
bool advice_needed(double total_seconds);
// Empty when no advice is needed.
std::string advice(double total_seconds);

} // namespace driver
