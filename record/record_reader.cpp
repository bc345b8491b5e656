#include "record/record_reader.h"

#include "record/element_tallies.h"
#include "record/field_checks.h"
#include "record/json_sequence.h"
#include "record/record_fields.h"
#include "record/record_reading.h"
#include "text/formatted.h"

#include <cstdint>

namespace record {
namespace {

// Reads one file's text, text by text.
class FileReading {
public:
  FileReading(std::string_view text, Text file, const TextHandler &handler)
      : text_(text), file_(file), handler_(handler), sequence_(text) {}

  std::size_t read() {
    std::size_t texts = 0;
    for (;;) {
      listener_.clear();
      const bool describe = named_ < problems_named_per_file;
      auto next = sequence_.next(listener_, describe);
      if (!next) {
        break;
      }
      ++texts;
      if (next->json) {
        read_value(*next, describe);
      } else if (describe) {
        ++named_;
        hand_on({.file = file_, .line = static_cast<std::uint32_t>(next->line)}, *next, nullptr, nullptr,
                ProblemKind::not_a_record, next->problem);
      } else {
        ++unnamed_not_records_;
      }
    }
    note_unnamed(unnamed_not_records_, ProblemKind::not_a_record, "texts that are not records");
    note_unnamed(unnamed_not_comparable_, ProblemKind::not_comparable, "records that cannot be compared");
    return texts;
  }

private:
  void read_value(const SequenceText &read, bool describe) {
    const Source source{.file = file_, .record = static_cast<std::uint32_t>(++records_)};
    // A text that will not be named, and lacks what every record has, is
    // counted at once: finding the first of its faults would cost more
    // than reading it, and a file of a million `{}` would cost millions of
    // such searches. Any text the search is run on holds every key of a
    // record, and so is long enough to pay for it.
    if (!describe && lacks_what_every_record_has(listener_.fields())) {
      ++unnamed_not_records_;
      return;
    }
    try {
      const RecordedRun run = read_record(listener_.fields(), tallies_, undone_);
      const RunDetails details = run_details(listener_.fields());
      hand_on(source, read, &run, &details, ProblemKind::none, {});
    } catch (const Refusal &refusal) {
      if (describe) {
        ++named_;
        hand_on(source, read, nullptr, nullptr, refusal.kind, refusal.message);
      } else {
        ++(refusal.kind == ProblemKind::not_comparable ? unnamed_not_comparable_ : unnamed_not_records_);
      }
    }
  }

  void hand_on(const Source &source, const SequenceText &read, const RecordedRun *run,
               const RunDetails *details, ProblemKind problem, std::string_view message) {
    handler_({.source = source,
              .text = text_.substr(read.start, read.end - read.start),
              .run = run,
              .details = details,
              .problem = problem,
              .message = message});
  }

  void note_unnamed(std::size_t count, ProblemKind kind, const char *what) {
    if (count > 0) {
      const std::string message = text::with_thousands(count) + " more " + what;
      handler_({.source = {.file = file_}, .problem = kind, .message = message});
    }
  }

  std::string_view text_;
  Text file_;
  const TextHandler &handler_;
  JsonSequence sequence_;
  ElementTallies tallies_{};
  RecordFieldsListener listener_{tallies_};
  UnescapedText undone_{};
  std::size_t records_ = 0;
  std::size_t named_ = 0;
  std::size_t unnamed_not_records_ = 0;
  std::size_t unnamed_not_comparable_ = 0;
};

} // namespace

std::string source_name(const Source &source) {
  std::string name(source.file.view());
  if (source.record != 0) {
    return name + ", record " + std::to_string(source.record);
  }
  if (source.line != 0) {
    return name + ", line " + std::to_string(source.line);
  }
  return name;
}

std::size_t read_records(std::string_view text, Text file, const TextHandler &handler) {
  if (text.size() > largest_record_file) {
    handler({.source = {.file = file},
             .problem = ProblemKind::unreadable,
             .message = "is larger than the 64 MiB a file of records may have (" +
                        std::to_string(text.size()) + " bytes)"});
    return 1;
  }
  return FileReading(text, file, handler).read();
}

ReadRecord kept(const TextRead &read) {
  return {.source = source_name(read.source),
          .run = read.run != nullptr ? std::optional<RecordedRun>(*read.run) : std::nullopt,
          .details = read.details != nullptr ? *read.details : RunDetails{},
          .problem = read.problem,
          .message = std::string(read.message)};
}

std::vector<ReadRecord> read_records(std::string_view text, std::string_view source) {
  std::vector<ReadRecord> records;
  read_records(text, Text(source), [&](const TextRead &read) { records.push_back(kept(read)); });
  return records;
}

} // namespace record
