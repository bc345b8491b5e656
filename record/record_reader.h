#pragma once

#include "record/recorded_run.h"
#include "record/run_details.h"
#include "record/text.h"

#include <cstddef>
#include <cstdint>
#include <functional>
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

// The least megaWhets/second any record is believed, but the 0 of a pass
// with no work: one Whet a second, a million times slower than any machine
// that could run the program. A figure between 0 and this, or one written
// so small that a double holds it as 0 (1e-400), is no measurement either.
constexpr double least_believable_rate = 1e-6;

// The most text each field of a record may hold, in bytes once its escapes
// are undone: far more than any real record's (a host name as long as one
// can be; a processor's model, a compiler and its version, an architecture
// or the program's version a few dozen bytes; flags a few hundred; a start
// time twenty), so that text meant to swamp a table or a terminal is
// refused where it is read. A label has its own limit (record/label.h).
constexpr std::size_t longest_host_name = 255;
constexpr std::size_t longest_processor_model = 256;
constexpr std::size_t longest_build_text = 256; // the compiler, its version, the architecture
constexpr std::size_t longest_flags = 4096;
constexpr std::size_t longest_program_version = 256;
constexpr std::size_t longest_start_time = 64;
constexpr std::size_t longest_warning_kind = 64;

// A file of records is refused above this size, which thousands of records
// do not come near, before a byte of it is read.
constexpr std::uintmax_t largest_record_file = 64 * 1024 * 1024;

// How many problems of a file are named one by one; the rest are counted.
constexpr std::size_t problems_named_per_file = 10;

enum class ProblemKind {
  none,
  // An argument that could not be read at all: it does not exist, cannot be
  // read, is too large, is empty, or holds no records.
  unreadable,
  // Text that is not a record of a run: not JSON, cut short, not an object,
  // a value of the wrong type, a missing pass, a rate that is not 0 or
  // believable, text too long for its field, another schema_version or
  // another program's record.
  not_a_record,
  // A record, but without the figures a comparison needs: one is null, as a
  // pass too short for the clock leaves it, or the self-check failed before
  // the passes.
  not_comparable,
  // An entry of a directory that is not a regular file (a FIFO, a device, a
  // socket), left unread, since reading it could wait for ever.
  left_out
};

// Whether a comparison that meets the problem should fail rather than leave
// the record out.
constexpr bool spoils_comparison(ProblemKind kind) {
  return kind == ProblemKind::unreadable || kind == ProblemKind::not_a_record;
}

// Where a text was read. Records are numbered by their place among the
// JSON texts of their file, from 1: every whole JSON value counts, a record
// or not, so that "record 3" is the third value `jq -c . FILE` would print
// if the file held nothing else. Text that is not JSON (a line of a report,
// a record cut short) takes no number and shifts none: it is named by the
// line it starts on. A note on the whole file has neither.
struct Source {
  Text file{};              // as messages name it: "runs.json", "records/node1.json", "standard input"
  std::uint32_t record = 0; // from 1; 0 for text that is not JSON, and for the whole file
  std::uint32_t line = 0;   // for text that is not JSON: the line it starts on, from 1
};

// "runs.json, record 3", "runs.json, line 57", or for the whole file
// "runs.json".
std::string source_name(const Source &source);

// One text of a file as the reader hands it on, valid only during the call
// that hands it on.
struct TextRead {
  Source source{};
  // The text exactly as the file holds it: a JSON value from its first byte
  // to its last; text that is not JSON up to where the next text may start;
  // nothing for a note on the whole file.
  std::string_view text{};
  const RecordedRun *run = nullptr;    // set exactly when `problem` is none
  const RunDetails *details = nullptr; // set exactly with `run`
  ProblemKind problem = ProblemKind::none;
  // One line without a line break, when there is a problem:
  // "$.passes[1].megawhets_per_second: a string where a number belongs"
  std::string_view message{};
};

using TextHandler = std::function<void(const TextRead &)>;

// Reads a file's text, handing on each record, with its text and source,
// as soon as it is read: every record that is one, and the first
// problems_named_per_file problems; the rest are counted, and handed on at
// the end as one note on the whole file per kind ("2,097,142 more texts
// that are not records"). A run is given only with figures that are finite
// and above 0; a record whose self-check failed is read as any other, with
// self_check_passed false. Nothing is kept between calls but the text that
// runs share (record/text.h): time and memory grow with the text's size
// alone, whatever it holds. Returns how many texts the file holds, records
// or not; 0 when it holds only white space. A text larger than
// largest_record_file is refused as a whole, with one note.
std::size_t read_records(std::string_view text, Text file, const TextHandler &handler);

// A text read as above, kept: for tests, and for callers that keep every
// record.
struct ReadRecord {
  std::string source{};             // "runs.json, record 3"; for a whole argument, the argument
  std::optional<RecordedRun> run{}; // set exactly when `problem` is none
  RunDetails details{};             // with a run; not a number throughout without one
  ProblemKind problem = ProblemKind::none;
  std::string message{};
};

ReadRecord kept(const TextRead &read);

// Every record in `text`, in order, read as above and kept.
std::vector<ReadRecord> read_records(std::string_view text, std::string_view source);

} // namespace record
