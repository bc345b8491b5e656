#include "driver/count_reader.h"

#include "text/formatted.h"
#include "text/printable.h"

#include <cerrno>
#include <cstring>
#include <limits>

namespace driver {
namespace {

// The C locale's white space, fixed so that the user's locale cannot change
// which bytes separate counts.
bool is_white_space(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(int c) { return c >= '0' && c <= '9'; }

int skip_white_space(std::FILE *input) {
  int c = std::getc(input);
  while (is_white_space(c)) {
    c = std::getc(input);
  }
  return c;
}

void put_back(int c, std::FILE *input) {
  if (c != EOF) {
    std::ungetc(c, input);
  }
}

constexpr std::uint64_t largest_magnitude = std::uint64_t{1} << 31; // of the most negative count

// Reading stops at the first EOF, so when the stream's error flag is set,
// errno still holds the reason the last read failed.
CountReading read_error_if_any(std::FILE *input, CountReading reading) {
  if (std::ferror(input) != 0) {
    return {0, CountProblem::read_error, errno};
  }
  return reading;
}

CountReading read_digits(std::FILE *input) {
  int c = skip_white_space(input);
  if (c == EOF) {
    return {0, CountProblem::end_of_input};
  }
  const bool negative = c == '-';
  const char sign = c == '-' || c == '+' ? static_cast<char>(c) : 0;
  if (sign != 0) {
    c = std::getc(input);
  }
  if (!is_digit(c)) {
    put_back(c, input);
    return {.value = 0, .problem = CountProblem::not_an_integer, .sign = sign};
  }
  // Every digit is consumed even once the value is known to be too large;
  // the magnitude stops growing there so that it cannot overflow.
  std::uint64_t magnitude = 0;
  for (; is_digit(c); c = std::getc(input)) {
    if (magnitude <= largest_magnitude) {
      magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
    }
  }
  put_back(c, input);
  const std::uint64_t limit = negative ? largest_magnitude : largest_magnitude - 1;
  if (magnitude > limit) {
    return {0, CountProblem::out_of_range};
  }
  const auto signed_magnitude = static_cast<std::int64_t>(magnitude);
  return {.value = static_cast<std::int32_t>(negative ? -signed_magnitude : signed_magnitude),
          .problem = CountProblem::none,
          .text_follows = c != EOF && !is_white_space(c)};
}

} // namespace

CountReading read_count(std::FILE *input) {
  errno = 0;
  return read_error_if_any(input, read_digits(input));
}

std::string text_instead_of_count(std::FILE *input, const CountReading &reading) {
  // Enough to recognise what was typed, short enough for one line.
  constexpr std::size_t most_shown = 16;
  std::string text(reading.sign != 0 ? 1 : 0, reading.sign);
  for (int c = std::getc(input); c != EOF && !is_white_space(c); c = std::getc(input)) {
    if (text.size() == most_shown) {
      return text + "...";
    }
    text += static_cast<char>(c);
  }
  return text;
}

std::string count_problem_message(std::string_view count_name, const CountReading &reading,
                                  std::string_view found, std::optional<EarlierCount> earlier) {
  const std::string name(count_name);
  switch (reading.problem) {
  case CountProblem::not_an_integer: {
    if (earlier && earlier->rest_left && !found.empty()) {
      return "megawhets: the " + std::string(earlier->name) + " was read as " +
             std::to_string(earlier->value) + " and the rest, '" + text::printable(found) +
             "', was left for the " + name +
             ", which is not a decimal integer; expected digits with an optional sign\n";
    }
    std::string what = "megawhets: the " + name + " is not a decimal integer";
    if (!found.empty()) {
      what += ": it starts with '" + text::printable(found) + "'";
    }
    if (earlier) {
      what += ", after the " + std::string(earlier->name) + " was read as " + std::to_string(earlier->value);
    }
    return what + "; expected digits with an optional sign\n";
  }
  case CountProblem::end_of_input:
    return "megawhets: input ended before the " + name + " was given; expected a decimal integer\n";
  case CountProblem::out_of_range:
    return "megawhets: the " + name + " is out of range; expected an integer from " +
           std::to_string(std::numeric_limits<std::int32_t>::min()) + " to " +
           std::to_string(std::numeric_limits<std::int32_t>::max()) + "\n";
  case CountProblem::read_error:
    return "megawhets: cannot read the " + name + " from standard input: " +
           (reading.error_number != 0 ? std::strerror(reading.error_number) : "read error") + "\n";
  case CountProblem::none:
    break;
  }
  return {};
}

} // namespace driver
