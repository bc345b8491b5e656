#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace driver {

enum class CountProblem { none, not_an_integer, end_of_input, out_of_range, read_error };

struct CountReading {
  std::int32_t value;
  CountProblem problem;
  int error_number = 0; // the system's reason, for a read error
  char sign = 0;        // a sign taken without digits after it, for a count that is not an integer
  bool text_follows = false; // the digits ended at a byte other than white space, left for the next count
};

// Reads one count the way "%d" does: white space (line breaks included) is
// skipped, then an optional sign and decimal digits; the first byte after the
// digits is left unread for whatever comes next. Unlike "%d", a value outside
// the 32-bit signed range is refused rather than left undefined.
CountReading read_count(std::FILE *input);

// What stood where a count should have: the sign the reading took, then
// what follows in `input` up to the next white space, at most a few bytes.
// It reads on, so it is for a run that ends there.
std::string text_instead_of_count(std::FILE *input, const CountReading &reading);

// A count read before the one that failed, which a message names: "1e3"
// reads as an inner count of 1 followed by an outer count of "e3", and the
// user must see why the count they typed second is blamed, or that what they
// typed as one count was read as two.
struct EarlierCount {
  std::string_view name;
  std::int32_t value;
  bool rest_left = false; // text right after its digits became the next count
};

// One line for standard error, naming the count that could not be read, and
// for one that is not an integer, what was found there instead and the count
// read before it.
std::string count_problem_message(std::string_view count_name, const CountReading &reading,
                                  std::string_view found = {}, std::optional<EarlierCount> earlier = {});

} // namespace driver
