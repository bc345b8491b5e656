#include "driver/count_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using driver::CountProblem;
using driver::read_count;

// Feeds `input` to the reader as standard input would bring it.
class MemoryInput {
public:
  // A temporary file rather than fmemopen, which Windows lacks; it is opened
  // in binary mode, so the reader sees exactly these bytes everywhere.
  explicit MemoryInput(const std::string &bytes) : file_(std::tmpfile()) {
    std::fwrite(bytes.data(), 1, bytes.size(), file_);
    std::rewind(file_);
  }
  ~MemoryInput() { std::fclose(file_); }
  MemoryInput(const MemoryInput &) = delete;
  MemoryInput &operator=(const MemoryInput &) = delete;
  std::FILE *get() const { return file_; }
  int next_byte() const { return std::getc(file_); }

private:
  std::FILE *file_;
};

struct ReadCase {
  std::string input;
  CountProblem problem;
  std::int32_t value;
  int next_byte; // what the following read sees
};

class ReadCount : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadCount, FollowsDecimalIntegerScanning) {
  const ReadCase &c = GetParam();
  MemoryInput input(c.input);
  const auto reading = read_count(input.get());
  EXPECT_EQ(reading.problem, c.problem);
  if (c.problem == CountProblem::none) {
    EXPECT_EQ(reading.value, c.value);
  }
  EXPECT_EQ(input.next_byte(), c.next_byte);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ReadCount,
    ::testing::Values(ReadCase{"42", CountProblem::none, 42, EOF},
                      ReadCase{" \t\n\r\v\f 42\n", CountProblem::none, 42, '\n'},
                      ReadCase{"+7 ", CountProblem::none, 7, ' '}, ReadCase{"-0", CountProblem::none, 0, EOF},
                      ReadCase{"0007", CountProblem::none, 7, EOF},
                      ReadCase{"12abc", CountProblem::none, 12, 'a'},
                      ReadCase{"2147483647", CountProblem::none, 2147483647, EOF},
                      ReadCase{"-2147483648", CountProblem::none, -2147483647 - 1, EOF},
                      ReadCase{"2147483648", CountProblem::out_of_range, 0, EOF},
                      ReadCase{"-2147483649", CountProblem::out_of_range, 0, EOF},
                      ReadCase{"4294967306", CountProblem::out_of_range, 0, EOF},
                      ReadCase{"123456789012345678901234567890x", CountProblem::out_of_range, 0, 'x'},
                      ReadCase{"", CountProblem::end_of_input, 0, EOF},
                      ReadCase{" \n\n ", CountProblem::end_of_input, 0, EOF},
                      ReadCase{"abc", CountProblem::not_an_integer, 0, 'a'},
                      ReadCase{"-", CountProblem::not_an_integer, 0, EOF},
                      ReadCase{"- 5", CountProblem::not_an_integer, 0, ' '},
                      ReadCase{"+-5", CountProblem::not_an_integer, 0, '-'},
                      ReadCase{"1.5", CountProblem::none, 1, '.'},
                      ReadCase{std::string("\0"
                                           "5",
                                           2),
                               CountProblem::not_an_integer, 0, 0},
                      ReadCase{"\xA0"
                               "5",
                               CountProblem::not_an_integer, 0, 0xA0}));

TEST(ReadCount, TwoCountsOnOneLine) {
  MemoryInput input("10 5\n");
  EXPECT_EQ(read_count(input.get()).value, 10);
  EXPECT_EQ(read_count(input.get()).value, 5);
  EXPECT_EQ(read_count(input.get()).problem, CountProblem::end_of_input);
}

// "20k" is 20, with "k" left for the next count: the reading notes that
// text came right after the digits, so that a message can say where it went.
TEST(ReadCount, NotesTextRightAfterTheDigits) {
  for (const auto &[bytes, follows] : {std::pair{"20k", true}, {"20 k", false}, {"20\n", false}, {"20", false}}) {
    MemoryInput input(bytes);
    EXPECT_EQ(read_count(input.get()).text_follows, follows) << bytes;
  }
}

TEST(CountProblemMessage, NamesTheCountAndWhatWasExpected) {
  EXPECT_EQ(driver::count_problem_message("outer loop count", {0, CountProblem::out_of_range}),
            "megawhets: the outer loop count is out of range; expected an integer from -2147483648 to "
            "2147483647\n");
}

} // namespace
