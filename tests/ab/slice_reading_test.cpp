// A slice's record read as ab reads it: the figures of a clean slice, the
// kind and the words of every way a slice fails, and the warnings' kinds.

#include "ab/slice_reading.h"
#include "pass/figures.h"
#include "pass/steady_figures.h"
#include "record/json_record.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

using ab::ProgramSlice;
using ab::SliceFailure;
using ab::SliceProblem;
using report::WarningKind;
using namespace std::chrono_literals;

constexpr pass::Counts sent{20000, 25};

pass::PassOutcome sample_pass(int number, std::int32_t inner, double elapsed) {
  pass::PassOutcome pass{.number = number, .outer = sent.outer, .inner = inner};
  pass.timing = {
      .elapsed = elapsed,
      .processor = elapsed * 0.98,
      .groups = {.outer_per_group = 1, .full = 25, .fastest = elapsed / 26.5, .slowest = elapsed / 24}};
  pass.figures = {elapsed, pass::pass_rate(pass::work_units(inner, sent.outer), elapsed)};
  pass.steady = pass::steady_figures(pass.timing.groups, inner);
  return pass;
}

// The record a program asked for `sent` writes, its passes 3 s and 7 s.
record::RunRecord sample_run() {
  return {.build = {"1.0.0", "g++", "12.2.0", "-O2 -ffp-contract=off", "x86-64"},
          .machine = {"AMD EPYC 7763 64-Core Processor", 2, "alpha"},
          .operating_system = {"Linux", "6.1.0"},
          .started_at = "2026-12-08T17:00:45Z",
          .counts = sent,
          .passes = {sample_pass(1, sent.inner, 3.0), sample_pass(2, pass::doubled_count(sent.inner), 7.0)}};
}

// A slice that ran `seconds` from its counts to its end, ending with status
// 0 after it wrote `record_text`.
ProgramSlice slice_of(std::string record_text, double seconds = 10.5) {
  ProgramSlice slice{.record_text = std::move(record_text),
                     .report = "Number of inner loops: \nmegawhets: warning: a last word\n",
                     .ending = {.exited = true, .status = 0, .description = "ended with status 0"}};
  slice.ended =
      slice.started + std::chrono::duration_cast<ab::Clock::duration>(std::chrono::duration<double>(seconds));
  return slice;
}

std::string edited(const std::function<void(nlohmann::json &)> &edit) {
  nlohmann::json record = nlohmann::json::parse(record::record_json(sample_run()));
  edit(record);
  return record.dump(2);
}

TEST(SliceReading, TakesACleanSlicesFiguresFromItsOneReading) {
  const record::RunRecord written = sample_run();
  const ab::ReadSlice read = ab::read_slice(slice_of(record::record_json(written)), sent);
  ASSERT_EQ(read.problem, SliceProblem::none) << read.message;
  ASSERT_TRUE(read.run);
  EXPECT_EQ(read.message, "");
  EXPECT_DOUBLE_EQ(read.passes_seconds, 10.0);
  EXPECT_EQ(read.details.inner, sent.inner);
  EXPECT_EQ(read.details.outer, sent.outer);
  EXPECT_DOUBLE_EQ(read.details.elapsed_seconds[1], 7.0);
  EXPECT_DOUBLE_EQ(read.details.processor_rate,
                   pass::megawhets_per_second(pass::pass_rate(
                       pass::work_units(pass::doubled_count(sent.inner), sent.outer), 7.0 * 0.98)));
  EXPECT_DOUBLE_EQ(read.details.processor_steady,
                   pass::megawhets_per_second(written.passes[1].steady.fastest_processor_rate));
  EXPECT_TRUE(read.run->warning_kinds.empty());
}

// A slice that failed, and what it is read as.
struct FailureCase {
  const char *name;
  std::function<void(ProgramSlice &)> fail;
  SliceProblem problem;
  std::string message;
};

void PrintTo(const FailureCase &failure, std::ostream *out) { *out << failure.name; }

class SliceFailures : public testing::TestWithParam<FailureCase> {};

TEST_P(SliceFailures, AreReadAsTheirKindAndSaidInTheirOwnWords) {
  ProgramSlice slice = slice_of(record::record_json(sample_run()));
  GetParam().fail(slice);
  const ab::ReadSlice read = ab::read_slice(slice, sent);
  EXPECT_EQ(read.problem, GetParam().problem);
  EXPECT_EQ(read.message, GetParam().message);
}

void ended(ProgramSlice &slice, SliceFailure failure, std::chrono::milliseconds limit = {}) {
  slice.failure = failure;
  slice.waited_limit = limit;
  slice.record_text.clear();
}

const char *const last_words = " (it said: megawhets: warning: a last word)";

INSTANTIATE_TEST_SUITE_P(
    Kinds, SliceFailures,
    testing::Values(
        FailureCase{"interrupted", [](ProgramSlice &s) { s.interrupted = true; }, SliceProblem::interrupted,
                    "was interrupted"},
        FailureCase{"not_started",
                    [](ProgramSlice &s) {
                      ended(s, SliceFailure::not_started);
                      s.start_failure = "No such file or directory";
                      s.report.clear();
                    },
                    SliceProblem::not_megawhets, "could not be started: No such file or directory"},
        FailureCase{"no_prompt", [](ProgramSlice &s) { ended(s, SliceFailure::no_prompt); },
                    SliceProblem::not_megawhets,
                    std::string("is not megawhets: it ended with status 0 without asking for its counts") +
                        last_words},
        FailureCase{"no_prompt_in_time",
                    [](ProgramSlice &s) { ended(s, SliceFailure::no_prompt_in_time, 60s); },
                    SliceProblem::not_megawhets, std::string("asked for no counts within 60 s") + last_words},
        FailureCase{"stopped_reading_counts",
                    [](ProgramSlice &s) { ended(s, SliceFailure::stopped_reading_counts); },
                    SliceProblem::failed, std::string("stopped reading its counts") + last_words},
        FailureCase{"too_much_output", [](ProgramSlice &s) { ended(s, SliceFailure::too_much_output); },
                    SliceProblem::failed,
                    std::string("wrote more to standard output than any record holds") + last_words},
        FailureCase{"no_end_in_time", [](ProgramSlice &s) { ended(s, SliceFailure::no_end_in_time, 600s); },
                    SliceProblem::failed, std::string("did not end within 600 s of its counts") + last_words},
        // A program that lingers after its record is still a failed slice,
        // though the record is whole.
        FailureCase{"lingered",
                    [](ProgramSlice &s) {
                      s.failure = SliceFailure::lingered;
                      s.waited_limit = 10s;
                    },
                    SliceProblem::failed,
                    std::string("closed its output but did not end within 10 s, and was ended") + last_words},
        FailureCase{"killed",
                    [](ProgramSlice &s) {
                      s.ending = {.exited = false, .description = "was killed by signal 9 (Killed)"};
                    },
                    SliceProblem::failed, std::string("was killed by signal 9 (Killed)") + last_words},
        FailureCase{"status",
                    [](ProgramSlice &s) {
                      s.ending = {.exited = true, .status = 1, .description = "ended with status 1"};
                    },
                    SliceProblem::failed, std::string("ended with status 1") + last_words},
        FailureCase{"self_check_failed",
                    [](ProgramSlice &s) {
                      s.record_text = edited([](nlohmann::json &r) { r["self_check"]["passed"] = false; });
                    },
                    SliceProblem::self_check_failed,
                    std::string("failed its self-check: it does not compute the workload's arithmetic") +
                        last_words},
        FailureCase{"no_record", [](ProgramSlice &s) { s.record_text = "\n"; }, SliceProblem::not_megawhets,
                    std::string("is not megawhets: it wrote no record, where megawhets writes one") +
                        last_words},
        FailureCase{"two_records", [](ProgramSlice &s) { s.record_text += s.record_text; },
                    SliceProblem::not_megawhets,
                    std::string("is not megawhets: it wrote 2 records, where megawhets writes one") +
                        last_words},
        FailureCase{"not_a_record", [](ProgramSlice &s) { s.record_text = "{\"schema_version\": 1}"; },
                    SliceProblem::not_megawhets, "wrote no record this megawhets reads: $.program: missing"},
        FailureCase{"not_json", [](ProgramSlice &s) { s.record_text = "{\"passes\": [}"; },
                    SliceProblem::not_megawhets,
                    "wrote no record this megawhets reads: not JSON at line 1, column 13: '}' where a value "
                    "belongs"},
        FailureCase{
            "no_figure",
            [](ProgramSlice &s) {
              s.record_text =
                  edited([](nlohmann::json &r) { r["passes"][1]["megawhets_per_second"] = nullptr; });
            },
            SliceProblem::failed,
            "gave no figure: $.passes[1].megawhets_per_second: null, as a pass too short for the clock "
            "leaves it"},
        FailureCase{
            "other_counts",
            [](ProgramSlice &s) {
              s.record_text = edited([](nlohmann::json &r) { r["counts"]["inner"] = 100; });
            },
            SliceProblem::failed,
            "wrote a record of other counts (inner 100, outer 25) than it was sent (inner 20000, outer 25)"},
        FailureCase{
            "no_counts",
            [](ProgramSlice &s) { s.record_text = edited([](nlohmann::json &r) { r.erase("counts"); }); },
            SliceProblem::failed,
            "wrote a record of other counts (inner nan, outer nan) than it was sent (inner 20000, outer 25)"},
        FailureCase{"passes_longer_than_the_slice", [](ProgramSlice &s) { s = slice_of(s.record_text, 9.0); },
                    SliceProblem::failed, "wrote passes of 10 s in all, though the slice ran 9 s"},
        FailureCase{"passes_far_shorter_than_the_slice",
                    [](ProgramSlice &s) { s = slice_of(s.record_text, 30.0); }, SliceProblem::failed,
                    "wrote passes of 10 s in all, though the slice ran 30 s"}),
    [](const testing::TestParamInfo<FailureCase> &info) { return std::string(info.param.name); });

TEST(SliceReading, HoldsARateToTheTimeItsRecordGives) {
  // The rate's words carry its figure as %g prints it, so they are checked
  // by their start and their time.
  struct TimeCase {
    nlohmann::json elapsed;
    const char *words;
  };
  for (const TimeCase &time :
       {TimeCase{7.5, "and its 7.5 s do not give"}, TimeCase{nullptr, "and its nan s do not give"}}) {
    const ab::ReadSlice read = ab::read_slice(
        slice_of(edited([&](nlohmann::json &r) { r["passes"][1]["elapsed_seconds"] = time.elapsed; })), sent);
    EXPECT_EQ(read.problem, SliceProblem::failed);
    EXPECT_TRUE(read.message.starts_with("wrote a pass 2 rate of ")) << read.message;
    EXPECT_TRUE(read.message.ends_with(time.words)) << read.message;
  }
}

TEST(SliceReading, CountsOnlyThePassTimesItsRecordGives) {
  // Pass 1's time missing: the passes' seconds are pass 2's alone, still
  // within what the slice allows.
  const ab::ReadSlice read = ab::read_slice(
      slice_of(edited([](nlohmann::json &r) { r["passes"][0].erase("elapsed_seconds"); })), sent);
  ASSERT_EQ(read.problem, SliceProblem::none) << read.message;
  EXPECT_DOUBLE_EQ(read.passes_seconds, 7.0);
  EXPECT_TRUE(std::isnan(read.details.elapsed_seconds[0]));
}

TEST(SliceReading, KeepsEachKindOfWarningItsRecordNames) {
  for (const WarningKind kind : record::every_warning_kind) {
    record::RunRecord run = sample_run();
    run.warnings = {{kind, 2, "megawhets: warning: ...\n"}, {kind, 1, "megawhets: warning: ...\n"}};
    const ab::ReadSlice read = ab::read_slice(slice_of(record::record_json(run)), sent);
    ASSERT_EQ(read.problem, SliceProblem::none) << read.message;
    const record::RecordedRun &recorded = *read.run;
    EXPECT_EQ(recorded.warnings, 2U);
    for (const WarningKind other : record::every_warning_kind) {
      EXPECT_EQ(recorded.warning_kinds.has(other), other == kind) << report::warning_kind_name(other);
    }
    EXPECT_EQ(record::warning_kind_names(recorded.warning_kinds),
              std::vector<std::string>{report::warning_kind_name(kind)});
    const bool disturbing = kind == WarningKind::interference || kind == WarningKind::steadiness;
    EXPECT_EQ(recorded.warning_kinds.disturbed(), disturbing);
    EXPECT_EQ(recorded.disturbances, disturbing ? 2U : 0U);
  }
}

// A later program's kind still makes the slice a warned one: ab's warned
// slices, like compare's warned runs, count every warning.
TEST(SliceReading, CountsAKindItDoesNotKnowAsAWarningItCannotName) {
  const ab::ReadSlice read = ab::read_slice(slice_of(edited([](nlohmann::json &r) {
                                              r["warnings"] = {{{"kind", "a later kind"}, {"pass", 2}}};
                                            })),
                                            sent);
  ASSERT_EQ(read.problem, SliceProblem::none) << read.message;
  EXPECT_EQ(read.run->warnings, 1U);
  EXPECT_FALSE(read.run->warning_kinds.empty());
  EXPECT_FALSE(read.run->warning_kinds.disturbed());
  EXPECT_TRUE(record::warning_kind_names(read.run->warning_kinds).empty());
}

TEST(SliceReading, KnowsAKindWrittenWithEscapes) {
  std::string text = edited([](nlohmann::json &r) {
    r["warnings"] = {{{"kind", "interference"}, {"pass", 2}}};
  });
  const std::string plain = "\"interference\"";
  text.replace(text.find(plain), plain.size(), "\"inter\\u0066erence\"");
  const ab::ReadSlice read = ab::read_slice(slice_of(text), sent);
  ASSERT_EQ(read.problem, SliceProblem::none) << read.message;
  EXPECT_TRUE(read.run->warning_kinds.has(WarningKind::interference));
  EXPECT_EQ(read.run->disturbances, 1U);
}

} // namespace
