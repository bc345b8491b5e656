#include "ab/slice_reading.h"

#include "pass/figures.h"
#include "record/record_reader.h"
#include "text/formatted.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>

namespace ab {
namespace {

// What the program said last, in brackets, where it said anything.
std::string said(const ProgramSlice &slice) {
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

// A number of the object's, or not a number where it has none.
double number_in(const nlohmann::json &object, const char *key) {
  const auto found = object.find(key);
  return found != object.end() && found->is_number() ? found->get<double>()
                                                     : std::numeric_limits<double>::quiet_NaN();
}

// What the record says it was asked for and how long its pass 2 took,
// which the reader does not keep; for holding it to the slice.
struct Claims {
  double inner = std::numeric_limits<double>::quiet_NaN();
  double outer = std::numeric_limits<double>::quiet_NaN();
  double second_elapsed = std::numeric_limits<double>::quiet_NaN();
};

// What a record the reader has accepted says beyond what it keeps: both
// passes' elapsed seconds, pass 2's figures by processor time, and the
// kinds of its warnings.
Claims read_beyond(const std::string &record_text, ReadSlice &read) {
  Claims claims;
  const auto record = nlohmann::json::parse(record_text, nullptr, false);
  if (!record.is_object()) {
    return claims;
  }
  if (const auto counts = record.find("counts"); counts != record.end() && counts->is_object()) {
    claims.inner = number_in(*counts, "inner");
    claims.outer = number_in(*counts, "outer");
  }
  if (const auto passes = record.find("passes"); passes != record.end() && passes->is_array()) {
    for (const auto &pass : *passes) {
      if (pass.is_object() && pass.contains("elapsed_seconds") && pass["elapsed_seconds"].is_number()) {
        read.passes_seconds += pass["elapsed_seconds"].get<double>();
      }
    }
    if (passes->size() == 2 && (*passes)[1].is_object()) {
      const auto &second = (*passes)[1];
      claims.second_elapsed = number_in(second, "elapsed_seconds");
      read.processor_rate = number_in(second, "processor_megawhets_per_second");
      if (const auto groups = second.find("groups"); groups != second.end() && groups->is_object()) {
        read.processor_steady = number_in(*groups, "fastest_processor_megawhets_per_second");
      }
    }
  }
  if (const auto warnings = record.find("warnings"); warnings != record.end() && warnings->is_array()) {
    for (const auto &warning : *warnings) {
      if (warning.is_object() && warning.contains("kind") && warning["kind"].is_string()) {
        read.warning_kinds.push_back(warning["kind"].get<std::string>());
      }
    }
  }
  return claims;
}

// A pass's own clock may run a little past the slice's, which starts when
// the counts are sent and ends when the record has arrived; the rest is
// the program's start and end, which a busy machine or an emulator makes
// long, but never most of a long slice.
constexpr double clock_slack_seconds = 0.25;
constexpr double longest_overhead_seconds = 2.0;

// Why the record cannot be what the slice ran, or empty.
std::string implausible(const ProgramSlice &slice, const ReadSlice &read, const Claims &claims,
                        const pass::Counts &sent) {
  if (claims.inner != sent.inner || claims.outer != sent.outer) {
    return text::formatted(
        "wrote a record of other counts (inner %.0f, outer %.0f) than it was sent (inner %d, "
        "outer %d)",
        claims.inner, claims.outer, sent.inner, sent.outer);
  }
  const double rate = pass::megawhets_per_second(
      pass::pass_rate(pass::work_units(pass::doubled_count(sent.inner), sent.outer), claims.second_elapsed));
  if (!(std::fabs(rate - read.run->rate) <= 1e-6 * rate)) {
    return text::formatted(
        "wrote a pass 2 rate of %g megaWhets/second, which its counts and its %g s do not give",
        read.run->rate, claims.second_elapsed);
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
            "failed its self-check: it does not compute the workload's arithmetic" + said(slice), read->run};
  }
  if (slice.failure == "asked for no counts") {
    return {SliceProblem::not_megawhets, "is not megawhets: it " + slice.ending.description +
                                             " without asking for its counts" + said(slice)};
  }
  if (!slice.failure.empty()) {
    // What goes wrong before the counts says the program is not one to
    // compare; what goes wrong after them is a failure during the slice.
    const bool before_counts =
        slice.failure.starts_with("could not be started") || slice.failure.starts_with("asked for no counts");
    return {before_counts ? SliceProblem::not_megawhets : SliceProblem::failed, slice.failure + said(slice)};
  }
  if (!slice.ending.exited) {
    return {SliceProblem::failed, slice.ending.description + said(slice)};
  }
  if (!read) {
    return {SliceProblem::not_megawhets,
            "is not megawhets: it wrote " +
                (record_count == 0 ? std::string("no record") : std::to_string(record_count) + " records") +
                ", where megawhets writes one" + said(slice)};
  }
  if (read->problem == record::ProblemKind::not_a_record ||
      read->problem == record::ProblemKind::unreadable) {
    return {SliceProblem::not_megawhets, "wrote no record this megawhets reads: " + read->message};
  }
  if (!read->run) {
    return {SliceProblem::failed, "gave no figure: " + read->message};
  }
  if (slice.ending.status != 0) {
    return {SliceProblem::failed, slice.ending.description + said(slice), read->run};
  }
  ReadSlice accepted{.run = read->run};
  const Claims claims = read_beyond(slice.record_text, accepted);
  if (const std::string why = implausible(slice, accepted, claims, sent); !why.empty()) {
    return {SliceProblem::failed, why, read->run};
  }
  return accepted;
}

} // namespace ab
