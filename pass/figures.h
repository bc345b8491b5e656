#pragma once

#include "pass/counts.h"

#include <cstdint>

// A pass's figures and the arithmetic that gives them, apart from any text,
// so that the report, the warnings and the record all use the same formulas.
namespace pass {

// A rate is shown divided by 1024, not 1000.
constexpr double megawhets_per_rate_unit = 0.0009765625;

// A rate in work units * 100 per second, as the report shows it.
constexpr double megawhets_per_second(double rate) { return rate * megawhets_per_rate_unit; }

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

// Whether the report advises larger counts: both passes together were too
// short to trust, with counts the user typed. Counts that --auto chose are
// the program's answer to the seconds asked for, so there is no count of the
// user's to enlarge, and a short run there was asked for.
bool advice_needed(double total_seconds, const Counts &counts);

} // namespace pass
