// Feeds arbitrary bytes to record::read_records, as a file of records would
// bring them, and holds every result to what a comparison relies on: each is
// named by its source and number, and is either a run whose figures are
// finite, above 0 and believable, or a problem of a kind, said on one line of
// printable ASCII.

#include "record/record_reader.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool holds, const char *what) {
  if (!holds) {
    std::fprintf(stderr, "record_reader_fuzzer: %s\n", what);
    std::abort();
  }
}

bool is_believable_rate(double rate) {
  return std::isfinite(rate) && rate > 0.0 && rate <= record::most_believable_rate;
}

bool is_one_printable_line(std::string_view text) {
  for (const char c : text) {
    if (c < 0x20 || c > 0x7E) {
      return false;
    }
  }
  return !text.empty();
}

void check_run(const record::RecordedRun &run) {
  require(is_believable_rate(run.rate), "a run's rate is not finite, above 0 and believable");
  require(is_believable_rate(run.steady), "a run's steady figure is not finite, above 0 and believable");
  require(std::isnan(run.lowest_processor_share) ||
              (std::isfinite(run.lowest_processor_share) && run.lowest_processor_share >= 0.0),
          "a run's lowest processor share is neither absent nor a finite share");
}

void check_record(const record::ReadRecord &read, std::size_t number) {
  require(read.source == "fuzz.json, record " + std::to_string(number),
          "a record is not named by its number");
  require(read.run.has_value() == (read.problem == record::ProblemKind::none), "a run comes with a problem");
  if (read.run) {
    require(read.message.empty(), "a run comes with a message");
    check_run(*read.run);
  } else {
    require(read.problem == record::ProblemKind::not_a_record ||
                read.problem == record::ProblemKind::not_comparable,
            "text is given a problem that only an argument can have");
    require(is_one_printable_line(read.message), "a problem is not said on one line of printable ASCII");
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  const auto records = record::read_records(text, "fuzz.json");
  // Each record takes at least one byte of the text.
  require(records.size() <= size, "more records than bytes");
  for (std::size_t i = 0; i < records.size(); ++i) {
    check_record(records[i], i + 1);
  }
  return 0;
}
