// Feeds arbitrary bytes to driver::read_count as standard input would bring
// them, and compares every reading with a separate, deliberately plain model
// of decimal integer scanning. The model decides the range on the digit text
// rather than by arithmetic, so the two share no logic that one mistake could
// hide in.

#include "driver/count_reader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>
#include <vector>

namespace {

using driver::CountProblem;
using driver::CountReading;
using Bytes = std::span<const unsigned char>;

void require(bool holds, const char *what) {
  if (!holds) {
    std::fprintf(stderr, "count_reader_fuzzer: %s\n", what);
    std::abort();
  }
}

// A read-only stream over a private copy of the bytes. glibc's fmemopen
// accepts a size of 0 (the stream is at its end at once) but still wants a
// buffer, hence at least one byte of storage.
class MemoryStream {
public:
  explicit MemoryStream(Bytes bytes) : storage_(std::max<std::size_t>(bytes.size(), 1)) {
    std::copy(bytes.begin(), bytes.end(), storage_.begin());
    file_ = fmemopen(storage_.data(), bytes.size(), "r");
    require(file_ != nullptr, "fmemopen failed");
  }
  ~MemoryStream() { std::fclose(file_); }
  MemoryStream(const MemoryStream &) = delete;
  MemoryStream &operator=(const MemoryStream &) = delete;
  std::FILE *get() const { return file_; }

private:
  std::vector<char> storage_;
  std::FILE *file_ = nullptr;
};

// ---- The model ----

struct ModelReading {
  CountProblem problem;
  std::int32_t value;
  std::size_t next; // index of the first byte left for whatever reads next
};

constexpr std::string_view c_locale_white_space = " \t\n\v\f\r";

bool model_is_white_space(unsigned char byte) {
  return c_locale_white_space.find(static_cast<char>(byte)) != std::string_view::npos;
}

bool model_is_digit(unsigned char byte) {
  return std::string_view("0123456789").find(static_cast<char>(byte)) != std::string_view::npos;
}

std::size_t skip_while(Bytes bytes, std::size_t at, bool (*matches)(unsigned char)) {
  while (at < bytes.size() && matches(bytes[at])) {
    ++at;
  }
  return at;
}

std::string_view as_text(Bytes bytes, std::size_t begin, std::size_t end) {
  return {reinterpret_cast<const char *>(bytes.data()) + begin, end - begin};
}

// Whether a digit string without leading zeros names a magnitude a 32-bit
// count can have: decided by length and then by comparing the text with the
// largest allowed magnitude's text.
bool magnitude_fits(std::string_view significant, bool negative) {
  const std::string_view largest = negative ? "2147483648" : "2147483647";
  if (significant.size() != largest.size()) {
    return significant.size() < largest.size();
  }
  return significant <= largest;
}

std::int32_t value_of(std::string_view significant, bool negative) {
  std::int64_t magnitude = 0;
  for (char digit : significant) {
    magnitude = magnitude * 10 + (digit - '0');
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

ModelReading model_read(Bytes bytes, std::size_t at) {
  at = skip_while(bytes, at, model_is_white_space);
  if (at == bytes.size()) {
    return {CountProblem::end_of_input, 0, at};
  }
  const bool negative = bytes[at] == '-';
  if (bytes[at] == '-' || bytes[at] == '+') {
    ++at; // a sign is taken even when no digit follows it
  }
  const std::size_t digits_begin = at;
  const std::size_t digits_end = skip_while(bytes, digits_begin, model_is_digit);
  if (digits_end == digits_begin) {
    return {CountProblem::not_an_integer, 0, digits_end};
  }
  std::string_view significant = as_text(bytes, digits_begin, digits_end);
  significant.remove_prefix(std::min(significant.find_first_not_of('0'), significant.size()));
  if (!magnitude_fits(significant, negative)) {
    return {CountProblem::out_of_range, 0, digits_end};
  }
  return {CountProblem::none, value_of(significant, negative), digits_end};
}

// ---- The checks ----

// The next byte the stream yields, left in place for the next read.
int peek(std::FILE *stream) {
  const int c = std::getc(stream);
  if (c != EOF) {
    std::ungetc(c, stream);
  }
  return c;
}

void check_matches_model(const CountReading &reading, const ModelReading &expected, Bytes bytes,
                         std::FILE *stream) {
  require(reading.problem == expected.problem, "the problem differs from the model's");
  // No partial value leaks out with a problem.
  require(reading.value == expected.value, "the value differs from the model's");
  const int expected_next = expected.next < bytes.size() ? bytes[expected.next] : EOF;
  require(peek(stream) == expected_next, "the reader did not stop right after the number");
}

// A count written the way printf writes it must read back as the same count,
// with nothing left over.
void check_round_trip(std::int32_t value) {
  char text[16];
  const int length = std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  require(length > 0 && static_cast<std::size_t>(length) < sizeof text, "snprintf failed");
  MemoryStream stream(Bytes(reinterpret_cast<const unsigned char *>(text), static_cast<std::size_t>(length)));
  const CountReading again = driver::read_count(stream.get());
  require(again.problem == CountProblem::none && again.value == value, "a printed count did not read back");
  require(std::getc(stream.get()) == EOF, "a printed count was not read whole");
}

// Everything after the last reading must still be there, byte for byte. This
// is compared rather than ftell, which glibc gets wrong after some ungetc.
void check_rest_unread(Bytes bytes, std::size_t next, std::FILE *stream) {
  std::vector<unsigned char> rest(bytes.size() - next + 1);
  const std::size_t got = std::fread(rest.data(), 1, rest.size(), stream);
  require(got == bytes.size() - next &&
              std::equal(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(got),
                         bytes.begin() + static_cast<std::ptrdiff_t>(next)),
          "the bytes after the last reading are not what remains unread");
}

// The program reads two counts; reading on until the first problem explores
// longer sequences of counts, separators and trailing bytes.
void check_input(Bytes bytes) {
  MemoryStream stream(bytes);
  std::size_t at = 0;
  for (;;) {
    const CountReading reading = driver::read_count(stream.get());
    const ModelReading expected = model_read(bytes, at);
    check_matches_model(reading, expected, bytes, stream.get());
    at = expected.next;
    if (reading.problem != CountProblem::none) {
      break;
    }
    check_round_trip(reading.value);
  }
  check_rest_unread(bytes, at, stream.get());
}

// Which bytes separate counts is too important to leave to the fuzzer's luck:
// every byte value is tried once before a count at start-up.
void check_every_byte_before_a_count() {
  for (int byte = 0; byte <= 255; ++byte) {
    const unsigned char input[] = {static_cast<unsigned char>(byte), '7'};
    check_input(input);
  }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  check_every_byte_before_a_count();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  check_input(Bytes(data, size));
  return 0;
}
