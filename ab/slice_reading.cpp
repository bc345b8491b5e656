#include "ab/slice_reading.h"

#include "pass/figures.h"
#include "record/record_reader.h"
#include "text/formatted.h"

#include <chrono>
#include <cmath>
#include <limits>

namespace ab {
namespace {

// What the program said last, in brackets, where it said anything.
std::string its_last_words(const ProgramSlice &slice) {
  const std::string words = last_words(slice);
  return words.empty() ? "" : " (it said: " + words + ")";
}

std::vector<record::ReadRecord> records_of(const ProgramSlice &slice) {
  return record::read_records(slice.record_text, "its record");
}

std::optional<record::ReadRecord> only_record(std::vector<record::ReadRecord> records) {
  if (records.size() != 1) {
    return std::nullopt;
  }
  return std::move(records.front());
}

std::string seconds_text(std::chrono::milliseconds time) {
  return text::formatted("%.0f s", static_cast<double>(time.count()) / 1000.0);
}

// Why the slice did not run to its end, as a phrase after the program's
// name: "could not be started: ...", "asked for no counts within 60 s".
std::string failure_text(const ProgramSlice &slice) {
  switch (slice.failure) {
  case SliceFailure::none:
    break;
  case SliceFailure::not_started:
    return "could not be started: " + slice.start_failure;
  case SliceFailure::no_prompt:
    return "asked for no counts";
  case SliceFailure::no_prompt_in_time:
    return "asked for no counts within " + seconds_text(slice.waited_limit);
  case SliceFailure::stopped_reading_counts:
    return "stopped reading its counts";
  case SliceFailure::too_much_output:
    return "wrote more to standard output than any record holds";
  case SliceFailure::no_end_in_time:
    return "did not end within " + seconds_text(slice.waited_limit) + " of its counts";
  case SliceFailure::lingered:
    return "closed its output but did not end within " + seconds_text(slice.waited_limit) + ", and was ended";
  }
  return {};
}

// Both passes' elapsed seconds, of those the record gives.
double passes_seconds(const record::RunDetails &details) {
  double seconds = 0.0;
  for (const double pass : details.elapsed_seconds) {
    seconds += std::isnan(pass) ? 0.0 : pass;
  }
  return seconds;
}

// A pass's own clock may run a little past the slice's, which starts when
// the counts are sent and ends when the record has arrived; the rest is
// the program's start and end, which a busy machine or an emulator makes
// long, but never most of a long slice.
constexpr double clock_slack_seconds = 0.25;
constexpr double longest_overhead_seconds = 2.0;

// Why the record cannot be what the slice ran, or empty.
std::string implausible(const ProgramSlice &slice, const ReadSlice &read, const pass::Counts &sent) {
  const record::RunDetails &claims = read.details;
  if (claims.inner != sent.inner || claims.outer != sent.outer) {
    return text::formatted(
        "wrote a record of other counts (inner %.0f, outer %.0f) than it was sent (inner %d, "
        "outer %d)",
        claims.inner, claims.outer, sent.inner, sent.outer);
  }
  const double rate = pass::megawhets_per_second(pass::pass_rate(
      pass::work_units(pass::doubled_count(sent.inner), sent.outer), claims.elapsed_seconds[1]));
  if (!(std::fabs(rate - read.run->rate) <= 1e-6 * rate)) {
    return text::formatted(
        "wrote a pass 2 rate of %g megaWhets/second, which its counts and its %g s do not give",
        read.run->rate, claims.elapsed_seconds[1]);
  }
  const double ran = std::chrono::duration<double>(slice.ended - slice.started).count();
  if (read.passes_seconds > ran + clock_slack_seconds ||
      read.passes_seconds < ran / 2 - longest_overhead_seconds) {
    return text::formatted("wrote passes of %.3g s in all, though the slice ran %.3g s", read.passes_seconds,
                           ran);
  }
  return {};
}

} // namespace

ReadSlice read_slice(const ProgramSlice &slice, const pass::Counts &sent) {
  if (slice.interrupted) {
    return {SliceProblem::interrupted, "was interrupted"};
  }
  std::vector<record::ReadRecord> records = records_of(slice);
  const std::size_t record_count = records.size();
  const std::optional<record::ReadRecord> read = only_record(std::move(records));
  // A program whose self-check fails writes its record, without passes,
  // and ends with status 3 before it asks for counts.
  const bool self_check_failed = read && ((read->run && !read->run->self_check_passed) ||
                                          (read->problem == record::ProblemKind::not_comparable &&
                                           slice.ending.exited && slice.ending.status == 3));
  if (self_check_failed) {
    return {SliceProblem::self_check_failed,
            "failed its self-check: it does not compute the workload's arithmetic" + its_last_words(slice),
            read->run};
  }
  if (slice.failure == SliceFailure::no_prompt) {
    return {SliceProblem::not_megawhets, "is not megawhets: it " + slice.ending.description +
                                             " without asking for its counts" + its_last_words(slice)};
  }
  if (slice.failure != SliceFailure::none) {
    // What goes wrong before the counts says the program is not one to
    // compare; what goes wrong after them is a failure during the slice.
    return {before_counts(slice.failure) ? SliceProblem::not_megawhets : SliceProblem::failed,
            failure_text(slice) + its_last_words(slice)};
  }
  if (!slice.ending.exited) {
    return {SliceProblem::failed, slice.ending.description + its_last_words(slice)};
  }
  if (!read) {
    return {SliceProblem::not_megawhets,
            "is not megawhets: it wrote " +
                (record_count == 0 ? std::string("no record") : std::to_string(record_count) + " records") +
                ", where megawhets writes one" + its_last_words(slice)};
  }
  if (read->problem == record::ProblemKind::not_a_record ||
      read->problem == record::ProblemKind::unreadable) {
    return {SliceProblem::not_megawhets, "wrote no record this megawhets reads: " + read->message};
  }
  if (!read->run) {
    return {SliceProblem::failed, "gave no figure: " + read->message};
  }
  if (slice.ending.status != 0) {
    return {SliceProblem::failed, slice.ending.description + its_last_words(slice), read->run};
  }
  const ReadSlice accepted{
      .run = read->run, .details = read->details, .passes_seconds = passes_seconds(read->details)};
  if (const std::string why = implausible(slice, accepted, sent); !why.empty()) {
    return {SliceProblem::failed, why, read->run};
  }
  return accepted;
}

} // namespace ab
