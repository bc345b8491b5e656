// Feeds arbitrary bytes to record::read_records, as a file of records would
// bring them, through the path that hands each record on as it is read, and
// holds every text handed on to what a comparison and a store of records
// rely on: records numbered 1, 2, 3 in order and text that is not JSON by a
// line that never goes back; each text a piece of the input, in order and
// apart from the others; at most the first ten problems named, the rest
// counted in a note; and each either a run whose figures are finite, above
// 0 and believable and whose text fits its field, or a problem of a kind,
// said on one line of printable ASCII. Beside that, the JSON parser under
// the reader is held to a general one: where either takes the input as one
// JSON text, with nothing but white space around it, the other does too.

#include "record/json_parser.h"
#include "record/label.h"
#include "record/record_reader.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
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
  return std::isfinite(rate) && rate >= record::least_believable_rate && rate <= record::most_believable_rate;
}

bool is_one_printable_line(std::string_view text) {
  for (const char c : text) {
    if (c < 0x20 || c > 0x7E) {
      return false;
    }
  }
  return !text.empty();
}

bool is_json_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

void check_run(const record::RecordedRun &run) {
  require(is_believable_rate(run.rate), "a run's rate is not finite, above 0 and believable");
  require(is_believable_rate(run.steady), "a run's steady figure is not finite, above 0 and believable");
  require(std::isnan(run.lowest_processor_share) ||
              (std::isfinite(run.lowest_processor_share) && run.lowest_processor_share >= 0.0),
          "a run's lowest processor share is neither absent nor a finite share");
  require(run.host_name.view().size() <= record::longest_host_name &&
              run.processor_model.view().size() <= record::longest_processor_model &&
              run.flags.view().size() <= record::longest_flags &&
              run.compiler.view().size() <= record::longest_build_text &&
              run.started_at.str().size() <= record::longest_start_time &&
              (!run.label || record::label_problem(run.label->view()).empty()),
          "a run's text is longer than its field may hold");
}

// What the handler has seen so far of one input.
struct Seen {
  std::string_view input;
  std::size_t records = 0;  // JSON texts
  std::size_t line = 0;     // the last line of text that was not JSON
  std::size_t text_end = 0; // of the last text handed on
  std::size_t named = 0;    // problems named one by one
  std::size_t notes = 0;    // notes on the whole input
  std::size_t handed = 0;
};

void check_text(const record::TextRead &read, Seen &seen) {
  ++seen.handed;
  require(read.source.file == record::Text("fuzz.json"), "a text is not named by its file");
  require((read.run != nullptr) == (read.problem == record::ProblemKind::none), "a run comes with a problem");
  if (read.source.record == 0 && read.source.line == 0) {
    // A note on the whole input comes last, with the count of problems not
    // named.
    ++seen.notes;
    require(read.text.empty() && read.run == nullptr, "a note on the whole input holds a text");
    require(seen.named == record::problems_named_per_file, "problems are counted before ten are named");
    require(is_one_printable_line(read.message) && read.message.find(" more ") != std::string_view::npos,
            "a note on the whole input does not count what was not named");
    return;
  }
  require(seen.notes == 0, "a text comes after a note on the whole input");
  require(read.source.record == 0 || read.source.line == 0, "a text has both a record number and a line");
  if (read.source.record != 0) {
    // Once ten problems are named, records that are problems are counted,
    // not handed on: numbers are left out, never repeated or reordered.
    require(read.source.record > seen.records, "records are not numbered in order");
    require(read.source.record == seen.records + 1 || seen.named == record::problems_named_per_file,
            "records are not numbered 1, 2, 3");
    seen.records = read.source.record;
  } else {
    require(read.source.line >= seen.line && read.source.line >= 1, "text that is not JSON goes back a line");
    require(read.problem == record::ProblemKind::not_a_record,
            "text that is not JSON is given another problem");
    seen.line = read.source.line;
  }
  // Each text a piece of the input, after the last and apart from it.
  require(!read.text.empty() && read.text.data() >= seen.input.data() &&
              read.text.data() + read.text.size() <= seen.input.data() + seen.input.size(),
          "a text is not a piece of the input");
  const auto start = static_cast<std::size_t>(read.text.data() - seen.input.data());
  require(start >= seen.text_end, "a text overlaps the one before it");
  seen.text_end = start + read.text.size();
  if (read.source.record != 0) {
    require(!is_json_space(read.text.front()) && !is_json_space(read.text.back()),
            "a record's text starts or ends with white space");
  }
  if (read.run != nullptr) {
    require(read.message.empty(), "a run comes with a message");
    check_run(*read.run);
    return;
  }
  ++seen.named;
  require(seen.named <= record::problems_named_per_file, "more than ten problems are named one by one");
  require(read.problem == record::ProblemKind::not_a_record ||
              read.problem == record::ProblemKind::not_comparable,
          "text is given a problem that only an argument can have");
  require(is_one_printable_line(read.message), "a problem is not said on one line of printable ASCII");
}

// Hears a text's values and keeps none: only whether the text is JSON
// matters here.
class Deaf final : public record::JsonListener {
public:
  void begin_object() override {}
  void key(const record::JsonString &) override {}
  void end_object() override {}
  void begin_array() override {}
  void end_array() override {}
  void null() override {}
  void boolean(bool) override {}
  void number(const record::JsonNumber &) override {}
  void string(const record::JsonString &) override {}
};

constexpr std::string_view json_space = " \t\n\r";

// Whether our parser takes the whole input as one JSON text; none where it
// refuses the text for a reason of its own that a general parser does not
// share.
std::optional<bool> ours_accepts(std::string_view text) {
  const std::size_t first = text.find_first_not_of(json_space);
  if (first == std::string_view::npos) {
    return false;
  }
  record::JsonParser parser;
  Deaf listener;
  if (parser.parse(text, first, listener)) {
    return text.find_first_not_of(json_space, parser.end()) == std::string_view::npos;
  }
  // Ours refuses nesting deeper than a record's could ever be, so that a
  // hostile file costs bounded memory; nlohmann takes any depth.
  if (parser.broken().kind == record::JsonBreakKind::too_deep) {
    return std::nullopt;
  }
  return false;
}

void check_agreement(std::string_view input) {
  // nlohmann takes a NUL byte for the end of its input, as a C string's
  // end; both are held to the input before the first.
  const std::string_view text = input.substr(0, input.find('\0'));
  // nlohmann skips a byte order mark at the very start of its input, as
  // RFC 8259 lets a parser do; ours leaves that to the reader of a file of
  // records (record/json_sequence.cpp), which skips it before each text.
  if (text.starts_with("\xEF\xBB\xBF")) {
    return;
  }
  const std::optional<bool> ours = ours_accepts(text);
  if (!ours) {
    return;
  }
  const bool theirs = nlohmann::json::accept(text.begin(), text.end());
  require(*ours || !theirs, "nlohmann takes as one JSON text what our parser refuses");
  require(!*ours || theirs, "our parser takes as one JSON text what nlohmann refuses");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  Seen seen{.input = text};
  const std::size_t texts = record::read_records(
      text, record::Text("fuzz.json"), [&](const record::TextRead &read) { check_text(read, seen); });
  // Each text takes at least one byte of the input.
  require(texts <= size, "more texts than bytes");
  require(seen.handed - seen.notes <= texts, "more texts handed on than read");
  check_agreement(text);
  return 0;
}
