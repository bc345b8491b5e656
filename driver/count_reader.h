#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace driver {

enum class CountProblem { none, not_an_integer, end_of_input, out_of_range, read_error };

struct CountReading {
  std::int32_t value;
  CountProblem problem;
  int error_number = 0; // the system's reason, for a read error
};

// Reads one count the way "%d" does: white space (line breaks included) is
// skipped, then an optional sign and decimal digits; the first byte after the
// digits is left unread for whatever comes next. Unlike "%d", a value outside
// the 32-bit signed range is refused rather than left undefined.
CountReading read_count(std::FILE *input);

// One line for standard error, naming the count that could not be read.
std::string count_problem_message(std::string_view count_name, const CountReading &reading);

} // namespace driver
