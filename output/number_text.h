#pragma once

#include <cstddef>
#include <string>

// How every output writes figures: the tables, the notes and legends, and the
// page, for readers, rounded; the marks' data attributes, exactly. A figure
// that is not a number reads "-", and one that rounds to zero never takes a
// minus: "-0.0 %" beside a host alone in its stratum says it lies below
// itself.
namespace output {

// The shortest text that reads back as the same double, for data-value:
// a test, or a reader's tool, gets the very figure the mark was drawn at.
std::string exact_number(double value);

// To `decimals` places: "13105.42", "0.976".
std::string fixed_text(double value, int decimals);

// To `decimals` places with a sign: "+3.3", "-0.5", and "+0.0" for anything
// that rounds to zero.
std::string signed_text(double value, int decimals);

// A rate in megaWhets/second, "13105.42".
std::string rate_text(double megawhets_per_second);

// A signed change in percent, "+3.25 %" or "-4.10 %"; to one place, "+0.4 %".
std::string percent_text(double percent, int decimals = 2);

// A share from 0 to 1 in percent, "99.8 %".
std::string share_text(double share);

// A test's p-value, "0.012", or "<0.001".
std::string probability_text(double probability);

// A setting as it was given: "0.05", "5", "3.5".
std::string setting_text(double value);

// An axis's tick: whole figures with thousands separated, finer steps to
// the hundredth.
std::string tick_text(double value, double step);

// A count with thousands separated, "2,500".
std::string count_text(std::size_t count);

// "1 host", "2,500 hosts".
std::string counted(std::size_t count, const std::string &one, const std::string &many);

} // namespace output
