#pragma once

#include <cstddef>
#include <string>

// How the page writes figures: for readers, rounded; for the marks' data
// attributes, exactly.
namespace compare_output {

// The shortest text that reads back as the same double, for data-value:
// a test, or a reader's tool, gets the very figure the mark was drawn at.
std::string exact_number(double value);

// A rate in megaWhets/second, "13105.42", as the tables give it.
std::string rate_text(double megawhets_per_second);

// A signed change in percent, "+3.25 %" or "-4.10 %".
std::string percent_text(double percent);

// A test's p-value, "0.012", or "<0.001".
std::string probability_text(double probability);

// An axis's tick: whole figures with thousands separated, finer steps to
// the hundredth.
std::string tick_text(double value, double step);

// A count with thousands separated, "2,500".
std::string count_text(std::size_t count);

} // namespace compare_output
