#pragma once

#include "record/recorded_run.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Records read back: what `--json FILE` wrote, or many of them one after
// another, as a loop of `--json - >> runs.json` appends them.
namespace record {

// The most megaWhets/second any record is believed: about a thousand times
// the fastest machine imaginable running 1024 copies. A higher figure is a
// damaged or hand-made record, not a measurement.
constexpr double most_believable_rate = 1e12;

enum class ProblemKind {
  none,
  // An argument that could not be read at all: it does not exist, cannot be
  // read, is too large, is empty, or holds no records.
  unreadable,
  // Text that is not a record of a run: not JSON, cut short, not an object,
  // a value of the wrong type, a missing pass, a rate that is not above 0 or
  // beyond belief, another schema_version or another program's record.
  not_a_record,
  // A record, but without the figures a comparison needs: one is null, as a
  // pass too short for the clock leaves it, or the self-check failed before
  // the passes.
  not_comparable
};

// Whether a comparison that meets the problem should fail rather than leave
// the record out.
constexpr bool spoils_comparison(ProblemKind kind) {
  return kind == ProblemKind::unreadable || kind == ProblemKind::not_a_record;
}

struct ReadRecord {
  std::string source{};             // "runs.json, record 3"; for a whole argument, the argument
  std::optional<RecordedRun> run{}; // set exactly when `problem` is none
  ProblemKind problem = ProblemKind::none;
  std::string message{}; // one line without a line break, when there is a problem:
                         // "$.passes[1].megawhets_per_second: a string where a number belongs"
};

// Every record in `text`, in order, named "SOURCE, record N" (N from 1). A
// run is given only with figures that are finite and above 0; a record whose
// self-check failed is read as any other, with self_check_passed false.
std::vector<ReadRecord> read_records(std::string_view text, std::string_view source);

} // namespace record
