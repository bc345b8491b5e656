// The run record's JSON, written and read back: text escaped whatever bytes
// it holds, numbers that read back as the same doubles, null for what JSON
// cannot hold, and every way a file of records can fail to be one.

#include "pass/figures.h"
#include "record/json_record.h"
#include "record/record_reader.h"
#include "record/record_sources.h"
#include "record/timestamp.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace record;
namespace fs = std::filesystem;

pass::PassOutcome sample_pass(int number, std::int32_t inner, double elapsed) {
  pass::PassOutcome pass{.number = number, .outer = 25, .inner = inner};
  pass.timing = {
      .elapsed = elapsed,
      .processor = elapsed * 0.999,
      .groups = {.outer_per_group = 1, .full = 25, .fastest = elapsed / 26.5, .slowest = elapsed / 24}};
  pass.figures = {elapsed, pass::pass_rate(pass::work_units(inner, 25), elapsed)};
  pass.steady = pass::steady_figures(pass.timing.groups, inner);
  return pass;
}

// A run in one process as the program records it.
RunRecord sample_run() {
  return {.label = "gcc-13 -O3",
          .build = {"1.0.0", "g++", "12.2.0", "-O2 -ffp-contract=off", "x86-64"},
          .machine = {"AMD EPYC 7763 64-Core Processor", 2, "alpha"},
          .operating_system = {"Linux", "6.1.0"},
          .started_at = "2026-12-08T17:00:45Z",
          .counts = pass::Counts{20000, 25},
          .passes = {sample_pass(1, 20000, 3.71), sample_pass(2, 40000, 7.38)},
          .warnings = {{report::WarningKind::short_pass, 1, "megawhets: warning: pass 1 took ...\n"}}};
}

// The one run the text holds.
RecordedRun read_back(const std::string &text) {
  const auto records = read_records(text, "run.json");
  EXPECT_EQ(records.size(), 1U);
  EXPECT_EQ(records.at(0).source, "run.json, record 1");
  EXPECT_EQ(records.at(0).message, "");
  return records.at(0).run.value_or(RecordedRun{});
}

TEST(Record, ReadsBackWhatWasWritten) {
  const RunRecord written = sample_run();
  const RecordedRun run = read_back(record_json(written));
  EXPECT_EQ(run.program_version.view(), "1.0.0");
  EXPECT_EQ(run.label.value_or(Text()).view(), "gcc-13 -O3");
  EXPECT_EQ(run.host_name.view(), "alpha");
  EXPECT_EQ(run.processor_model.view(), "AMD EPYC 7763 64-Core Processor");
  EXPECT_EQ(run.processors, 2U);
  EXPECT_EQ(run.compiler.str() + " " + run.compiler_version.str() + " " + run.flags.str() + " " +
                run.architecture.str(),
            "g++ 12.2.0 -O2 -ffp-contract=off x86-64");
  EXPECT_EQ(run.started_at.str(), "2026-12-08T17:00:45Z");
  EXPECT_EQ(run.copies, 0U);
  EXPECT_EQ(run.rate, pass::megawhets_per_second(written.passes[1].figures.rate));
  EXPECT_EQ(run.steady, pass::megawhets_per_second(written.passes[1].steady.fastest_rate));
  EXPECT_DOUBLE_EQ(run.lowest_processor_share, 0.999);
  EXPECT_EQ(run.warnings, 1U);
  EXPECT_TRUE(run.self_check_passed);
}

// The sample run in two copies.
RunRecord sample_run_in_copies() {
  RunRecord written = sample_run();
  written.copies = Copies{2, 2};
  for (pass::PassOutcome &pass : written.passes) {
    pass.timing.processor = std::numeric_limits<double>::quiet_NaN();
    for (double share : {0.99, 0.75}) {
      pass::PassOutcome copy = sample_pass(pass.number, pass.inner, pass.timing.elapsed * share);
      copy.timing.processor = copy.timing.elapsed * share;
      pass.copies.push_back({copy.timing, copy.steady});
    }
  }
  return written;
}

TEST(Record, ARunInCopiesIsReadAsTheMachines) {
  const RunRecord written = sample_run_in_copies();
  const RecordedRun run = read_back(record_json(written));
  EXPECT_EQ(run.copies, 2U);
  const auto &copies = written.passes[1].copies;
  EXPECT_EQ(run.steady, pass::megawhets_per_second(copies[0].steady.fastest_rate) +
                            pass::megawhets_per_second(copies[1].steady.fastest_rate));
  EXPECT_DOUBLE_EQ(run.lowest_processor_share, 0.75);
}

// A test build's drag is written only where there is one, and read back
// beside the flags, so that a comparison shows it and groups it apart.
// Figures a record may lack, as a double or not a number.
void expect_same_figure(double read, double written) {
  if (std::isnan(written)) {
    EXPECT_TRUE(std::isnan(read)) << read;
  } else {
    EXPECT_DOUBLE_EQ(read, written);
  }
}

TEST(Record, HandsOnWhatItSaysOfItsPassesBesideTheRun) {
  const RunRecord written = sample_run();
  const auto records = read_records(record_json(written), "run.json");
  ASSERT_EQ(records.size(), 1U);
  const RunDetails &details = records[0].details;
  EXPECT_EQ(details.inner, 20000);
  EXPECT_EQ(details.outer, 25);
  EXPECT_EQ(details.elapsed_seconds[0], 3.71);
  EXPECT_EQ(details.elapsed_seconds[1], 7.38);
  expect_same_figure(details.processor_rate,
                     pass::megawhets_per_second(pass::pass_rate(pass::work_units(40000, 25), 7.38 * 0.999)));
  expect_same_figure(details.processor_steady,
                     pass::megawhets_per_second(written.passes[1].steady.fastest_processor_rate));
  // The one warning written, a short pass, and no other kind.
  const WarningKinds kinds = records[0].run->warning_kinds;
  for (const report::WarningKind kind : every_warning_kind) {
    EXPECT_EQ(kinds.has(kind), kind == report::WarningKind::short_pass) << report::warning_kind_name(kind);
  }
}

TEST(Record, HandsOnNoDetailWithoutARun) {
  RunRecord written = sample_run();
  written.counts.reset();
  const auto without_counts = read_records(record_json(written), "run.json");
  ASSERT_TRUE(without_counts.at(0).run);
  EXPECT_TRUE(std::isnan(without_counts[0].details.inner) && std::isnan(without_counts[0].details.outer));
  const auto broken = read_records("{\"schema_version\": 1}", "run.json");
  ASSERT_FALSE(broken.at(0).run);
  EXPECT_TRUE(std::isnan(broken[0].details.elapsed_seconds[1]) &&
              std::isnan(broken[0].details.processor_rate));
}

TEST(Record, ADragIsWrittenAndReadBesideTheFlags) {
  RunRecord written = sample_run();
  EXPECT_EQ(record_json(written).find("drag"), std::string::npos);
  written.build.drag_percent = 5;
  const std::string text = record_json(written);
  EXPECT_NE(text.find("\"drag_percent\": 5"), std::string::npos);
  EXPECT_EQ(read_back(text).flags, "-O2 -ffp-contract=off, drag 5 %");
  std::string beyond = text;
  beyond.replace(beyond.find("\"drag_percent\": 5"), 18, "\"drag_percent\": 500");
  const auto records = read_records(beyond, "run.json");
  ASSERT_EQ(records.size(), 1U);
  EXPECT_EQ(records[0].message, "$.build.drag_percent: 500 where an integer from 1 to 100 belongs");
}

struct TextCase {
  const char *name;
  std::string text;
  std::string json;      // as the record writes it
  std::string read_back; // as a reader gets it
};

class RecordText : public ::testing::TestWithParam<TextCase> {};

TEST_P(RecordText, IsAlwaysValidJsonAndReadsBack) {
  RunRecord written = sample_run();
  written.machine.processor_model = GetParam().text;
  const std::string text = record_json(written);
  EXPECT_NE(text.find("\"processor_model\": " + GetParam().json + ",\n"), std::string::npos) << text;
  EXPECT_EQ(read_back(text).processor_model.view(), GetParam().read_back);
}

// Each ill-formed sequence becomes U+FFFD, written as UTF-8.
const std::string replacement = "\xEF\xBF\xBD";

INSTANTIATE_TEST_SUITE_P(
    ProcessorNames, RecordText,
    ::testing::Values(
        TextCase{"plain", "AMD EPYC", "\"AMD EPYC\"", "AMD EPYC"},
        TextCase{"quotes and backslashes", "a \"b\" \\c", "\"a \\\"b\\\" \\\\c\"", "a \"b\" \\c"},
        TextCase{"control bytes", std::string("tab\there\nnul\0bell\a\b\f\x1f\x7f", 22),
                 "\"tab\\there\\nnul\\u0000bell\\u0007\\b\\f\\u001f\x7f\"",
                 std::string("tab\there\nnul\0bell\a\b\f\x1f\x7f", 22)},
        TextCase{"UTF-8 kept", "Intel\xC2\xAE Core\xE2\x84\xA2 \xF0\x9F\x98\x80",
                 "\"Intel\xC2\xAE Core\xE2\x84\xA2 \xF0\x9F\x98\x80\"",
                 "Intel\xC2\xAE Core\xE2\x84\xA2 \xF0\x9F\x98\x80"},
        TextCase{"a legacy code page's byte", "Intel\xAE", "\"Intel" + replacement + "\"",
                 "Intel" + replacement},
        TextCase{"a sequence cut short", "x\xE2\x84", "\"x" + replacement + "\"", "x" + replacement},
        TextCase{"a sequence cut short before a character", "\xE2\x84x", "\"" + replacement + "x\"",
                 replacement + "x"},
        TextCase{"an overlong form", "\xC0\x80", "\"" + replacement + replacement + "\"",
                 replacement + replacement},
        TextCase{"a surrogate", "\xED\xA0\x80", "\"" + replacement + replacement + replacement + "\"",
                 replacement + replacement + replacement},
        TextCase{"beyond U+10FFFF", "\xF4\x90\x80\x80",
                 "\"" + replacement + replacement + replacement + replacement + "\"",
                 replacement + replacement + replacement + replacement}));

struct NumberCase {
  double value;
  const char *json;
};

class RecordNumber : public ::testing::TestWithParam<NumberCase> {};

// Each pass's processor share is its processor seconds over elapsed seconds
// of 1, so the value itself, which a reader gets back bit for bit.
TEST_P(RecordNumber, ReadsBackAsTheSameDouble) {
  RunRecord written = sample_run();
  for (pass::PassOutcome &pass : written.passes) {
    pass.timing.elapsed = 1.0;
    pass.timing.processor = GetParam().value;
  }
  const std::string text = record_json(written);
  EXPECT_NE(text.find(std::string("\"processor_share\": ") + GetParam().json + ",\n"), std::string::npos)
      << text;
  const double share = read_back(text).lowest_processor_share;
  if (std::isfinite(GetParam().value)) {
    EXPECT_EQ(share, GetParam().value);
    EXPECT_EQ(std::signbit(share), std::signbit(GetParam().value));
  } else {
    EXPECT_TRUE(std::isnan(share));
  }
}

INSTANTIATE_TEST_SUITE_P(Values, RecordNumber,
                         ::testing::Values(NumberCase{0.1, "0.1"},
                                           NumberCase{12345678.901234567, "12345678.901234567"},
                                           NumberCase{0.999937500625, "0.999937500625"},
                                           NumberCase{1e300, "1e+300"}, NumberCase{5e-324, "5e-324"},
                                           NumberCase{-0.0, "-0.0"}, NumberCase{200000, "200000.0"},
                                           NumberCase{1e-7, "1e-07"}, NumberCase{1e21, "1e+21"},
                                           NumberCase{std::numeric_limits<double>::infinity(), "null"},
                                           NumberCase{-std::numeric_limits<double>::infinity(), "null"},
                                           NumberCase{std::numeric_limits<double>::quiet_NaN(), "null"}));

TEST(Record, IsIndentedTwoSpacesALevelInTheOrderItIsWritten) {
  const RunRecord failed{.build = {"1.0.0", "g++", "12.2.0", "-O2", "x86-64"},
                         .operating_system = {"Linux", "6.1.0"},
                         .started_at = "2026-12-08T17:00:45Z",
                         .mismatch = self_check::Mismatch{"X1", "0.5", "-0.5"},
                         .exit_status = 3};
  EXPECT_EQ(record_json(failed), R"({
  "schema_version": 1,
  "program": {
    "name": "megawhets",
    "version": "1.0.0"
  },
  "label": null,
  "build": {
    "compiler": "g++",
    "compiler_version": "12.2.0",
    "flags": "-O2",
    "architecture": "x86-64"
  },
  "machine": {
    "host_name": null,
    "processor_model": null,
    "processors": null,
    "os_name": "Linux",
    "os_release": "6.1.0"
  },
  "started_at": "2026-12-08T17:00:45Z",
  "counts": null,
  "copies": null,
  "passes": [],
  "comparison": null,
  "self_check": {
    "passed": false,
    "mismatch": {
      "value": "X1",
      "got": "0.5",
      "expected": "-0.5"
    }
  },
  "warnings": [],
  "exit_status": 3
}
)");
}

// ---- What is not a record, and what a comparison cannot use ----

using Json = nlohmann::ordered_json;
using Maker = std::function<void(const fs::path &argument)>;

std::string sample_text() { return record_json(sample_run()); }

void write_file(const fs::path &path, const std::string &text) {
  std::ofstream(path, std::ios::binary) << text;
}

Maker file_holding(const std::string &text) {
  return [text](const fs::path &path) { write_file(path, text); };
}

// The sample record with the value at a JSON pointer replaced, or removed
// when the replacement is empty.
Maker record_with(const char *pointer, std::string replacement, bool in_copies = false) {
  return [=](const fs::path &path) {
    Json record = Json::parse(in_copies ? record_json(sample_run_in_copies()) : sample_text());
    const Json::json_pointer at(pointer);
    if (Json &parent = record[at.parent_pointer()]; replacement.empty() && parent.is_object()) {
      parent.erase(at.back());
    } else if (replacement.empty()) {
      parent.erase(std::stoul(at.back()));
    } else {
      record[at] = Json::parse(replacement);
    }
    write_file(path, record.dump(2));
  };
}

// The sample record with pass 2's rate written as `literal`, as no
// general JSON library would write it back.
std::string with_second_rate(const std::string &literal) {
  std::string text = sample_text();
  const std::string key = "\"megawhets_per_second\": ";
  const std::size_t at = text.find(key, text.find(key) + 1) + key.size();
  return text.replace(at, text.find(',', at) - at, literal);
}

std::string with_label(const std::string &label) {
  std::string text = sample_text();
  return text.replace(text.find("gcc-13 -O3"), 10, label);
}

struct BadInputCase {
  const char *name;
  Maker make; // the RECORD argument
  ProblemKind problem;
  std::string message;
  // After the argument in the source: a record's number, or the line of text
  // that is not JSON; nothing for a problem with the whole argument.
  std::string place = ", record 1";
};

class BadInput : public ::testing::TestWithParam<BadInputCase> {};

// A problem with the whole argument is named by the argument, any other by
// the record.
TEST_P(BadInput, IsNamedOnOneLineWithItsKind) {
  const fs::path path =
      fs::path(::testing::TempDir()) / ("megawhets-bad-input-" + std::string(GetParam().name));
  fs::remove_all(path);
  GetParam().make(path);
  const auto read = read_sources({path.string()});
  fs::remove_all(path);
  ASSERT_EQ(read.size(), 1U);
  EXPECT_FALSE(read[0].run);
  EXPECT_EQ(read[0].problem, GetParam().problem);
  EXPECT_EQ(read[0].message, GetParam().message);
  EXPECT_EQ(read[0].source,
            path.string() + (GetParam().problem == ProblemKind::unreadable ? "" : GetParam().place));
}

constexpr auto unreadable = ProblemKind::unreadable;
constexpr auto not_a_record = ProblemKind::not_a_record;
constexpr auto not_comparable = ProblemKind::not_comparable;

INSTANTIATE_TEST_SUITE_P(Inputs, BadInput,
                         ::
                             testing::Values(BadInputCase{"absent", [](const fs::path &) {}, unreadable,
                                                          "does not exist"},
                                             BadInputCase{"empty", file_holding(""), unreadable, "is empty"},
                                             BadInputCase{"blank", file_holding("\n \r\n"), unreadable,
                                                          "holds nothing but white space"},
                                             BadInputCase{"directory",
                                                          [](const fs::path &path) {
                                                            fs::create_directory(path);
                                                            write_file(path / "notes.txt", sample_text());
                                                          },
                                                          unreadable, "holds no *.json file, so no records"},
                                             BadInputCase{"huge",
                                                          [](const fs::path &path) {
                                                            write_file(path, "");
                                                            fs::resize_file(path, largest_record_file + 1);
                                                          },
                                                          unreadable,
                                                          "is larger than the 64 MiB a file of records may "
                                                          "have (67108865 bytes)"},
                                             BadInputCase{
                                                 "not_json", file_holding("megawhets 1.0.0: g++ 12.2.0\n"),
                                                 not_a_record,
                                                 "not JSON at line 1, column 1: invalid literal", ", line 1"},
                                             BadInputCase{"utf16",
                                                          file_holding(std::string("\xFF\xFE{\0\n\0", 6)),
                                                          not_a_record,
                                                          "text in UTF-16, as Windows PowerShell's > writes "
                                                          "it: a record is UTF-8, as --json FILE "
                                                          "writes it",
                                                          ", line 1"},
                                             BadInputCase{
                                                 "cut_short",
                                                 file_holding(sample_text().substr(
                                                     0, sample_text().find("\"machine\""))),
                                                 not_a_record,
                                                 "cut short: the text ends inside the record, at line 14",
                                                 ", line 1"},
                                             BadInputCase{"array", file_holding("[1, 2]\n"), not_a_record,
                                                          "$: an array where an object belongs"},
                                             BadInputCase{"number", file_holding("42\n"), not_a_record,
                                                          "$: 42 where an object belongs"},
                                             BadInputCase{
                                                 "string_for_a_number",
                                                 record_with("/passes/1/megawhets_per_second", "\"fast\""),
                                                 not_a_record,
                                                 "$.passes[1].megawhets_per_second: a string where a number "
                                                 "belongs"},
                                             BadInputCase{"missing_pass", record_with("/passes/1", ""),
                                                          not_a_record, "$.passes: 1 pass where 2 belong"},
                                             BadInputCase{"negative_rate",
                                                          record_with("/passes/1/megawhets_per_second", "-5"),
                                                          not_a_record,
                                                          "$.passes[1].megawhets_per_second: -5 where a rate "
                                                          "of at least 0 belongs"},
                                             // What a pass with no work leaves: a record, but none to
                                             // compare.
                                             BadInputCase{
                                                 "zero_steady_rate",
                                                 record_with("/passes/1/groups/fastest_megawhets_per_second",
                                                             "0"),
                                                 not_comparable,
                                                 "$.passes[1].groups.fastest_megawhets_per_second: 0, as a "
                                                 "pass with no work (an inner or "
                                                 "outer count of 0) leaves it"},
                                             BadInputCase{
                                                 "absurd_rate",
                                                 record_with("/passes/1/megawhets_per_second", "1e308"),
                                                 not_a_record,
                                                 "$.passes[1].megawhets_per_second: 1e+308 where a rate of "
                                                 "at most 1e+12 belongs"},
                                             BadInputCase{"another_version",
                                                          record_with("/schema_version", "2"), not_a_record,
                                                          "$.schema_version: 2, but this megawhets reads "
                                                          "records of version 1"},
                                             BadInputCase{"another_program",
                                                          record_with("/program/name", "\"stopwatch\""),
                                                          not_a_record,
                                                          "$.program.name: \"stopwatch\", not megawhets"},
                                             BadInputCase{"label_not_utf8",
                                                          file_holding(with_label("gcc-13 \xFF")),
                                                          not_a_record,
                                                          "$.label: text that is not valid UTF-8, at line 7, "
                                                          "column 20",
                                                          ", line 1"},
                                             BadInputCase{"label_with_a_bell",
                                                          file_holding(with_label("gcc\\u0007")),
                                                          not_a_record,
                                                          "$.label: the label holds a control character, "
                                                          "U+0007, at byte 4"},
                                             BadInputCase{
                                                 "null_rate",
                                                 record_with("/passes/1/megawhets_per_second", "null"),
                                                 not_comparable,
                                                 "$.passes[1].megawhets_per_second: null, as a pass too "
                                                 "short for the clock leaves it"},
                                             BadInputCase{
                                                 "null_steady_rate",
                                                 record_with("/passes/1/groups/fastest_megawhets_per_second",
                                                             "null"),
                                                 not_comparable,
                                                 "$.passes[1].groups.fastest_megawhets_per_second: null, as "
                                                 "a pass without a full group of "
                                                 "outer iterations leaves it"},
                                             // Text longer than its field may have; a host name can be no
                                             // longer than 255 bytes.
                                             BadInputCase{"host_name_too_long",
                                                          record_with("/machine/host_name", "\"" +
                                                                                                std::string(256,
                                                                                                            'h') +
                                                                                                "\""),
                                                          not_a_record,
                                                          "$.machine.host_name: 256 bytes long, more than "
                                                          "the 255 bytes a host name may have"},
                                             BadInputCase{"start_time_too_long", record_with("/started_at", "\"" + std::string(65, '2') + "\""),
                                                          not_a_record, "$.started_at: 65 bytes long, more than the 64 bytes a start time may have"},
                                             BadInputCase{"flags_too_long", record_with("/build/flags", "\"" + std::string(4097, 'O') + "\""),
                                                          not_a_record, "$.build.flags: 4097 bytes long, more than the 4096 bytes the build's flags may have"},
                                             BadInputCase{"utf16_without_a_byte_order_mark", file_holding(std::string("{\0\n\0\"\0", 6)),
                                                          not_a_record,
                                                          "text in UTF-16, as Windows PowerShell's > writes "
                                                          "it: a record is UTF-8, as --json FILE "
                                                          "writes it",
                                                          ", line 1"},
                                             // A figure above 0 that is no rate, told apart from the 0 of a
                                             // pass with no work, even where a double holds it as 0.
                                             BadInputCase{"rate_too_small_for_a_double",
                                                          file_holding(with_second_rate("1e-400")), not_a_record,
                                                          "$.passes[1].megawhets_per_second: 1e-400 where a "
                                                          "rate of 0 or of at least 1e-06 belongs"},
                                             BadInputCase{"rate_too_small_to_believe",
                                                          record_with(
                                                              "/passes/1/groups/fastest_megawhets_per_second", "1e-9"),
                                                          not_a_record,
                                                          "$.passes[1].groups.fastest_megawhets_per_second: "
                                                          "1e-09 where a rate of 0 or of at least 1e-06 "
                                                          "belongs"},
                                             // The elements of a record's long arrays, each judged as it is read.
        BadInputCase{"copy_share_a_string", record_with("/passes/0/copies/1/processor_share", "\"all\"", true),
                     not_a_record, "$.passes[0].copies[1].processor_share: a string where a number belongs"},
        BadInputCase{"copy_without_groups", record_with("/passes/1/copies/0/groups", "", true), not_a_record,
                     "$.passes[1].copies[0].groups: missing"},
        BadInputCase{"warning_kind_a_number", record_with("/warnings/0/kind", "5"), not_a_record,
                     "$.warnings[0].kind: 5 where a string belongs"},
        BadInputCase{"self_check_failed_first",
                                                          [](const fs::path &path) {
                                                            write_file(
                                                                path,
                                                                record_json({.mismatch = self_check::Mismatch{
                                                                                 "X1", "0.5", "-0.5"}}));
                                                          },
                                                          not_comparable,
                                                          "$.passes: none, as the self-check failed before "
                                                          "them"}),
                         [](const ::testing::TestParamInfo<BadInputCase> &info) {
                           return std::string(info.param.name);
                         });

// As when a run's record was cut off in the middle of a line, and the next
// appended after it; and a line of a report among the records. Records are
// numbered among the JSON texts, so that neither moves the numbers of the
// records after it; what is not JSON is named by the line it starts on.
TEST(Records, OneBrokenRecordDoesNotHideOrRenumberTheRest) {
  const std::string record = sample_text();
  const std::string cut = record.substr(0, record.find("\"passes\"") + 4);
  const auto read = read_records(record + cut + record + "Elapsed time = 3.71\n" + record, "runs.json");
  const auto line_after = [](const std::string &text) {
    return std::to_string(std::count(text.begin(), text.end(), '\n') + 1);
  };
  const std::vector<std::tuple<std::string, ProblemKind, std::string>> expected = {
      {"record 1", ProblemKind::none, ""},
      {"line " + line_after(record), not_a_record,
       "cut short at line " + line_after(record + cut) +
           ": another record starts there before this one ends"},
      {"record 2", ProblemKind::none, ""},
      {"line " + line_after(record + cut + record), not_a_record,
       "not JSON at line " + line_after(record + cut + record) + ", column 1: invalid literal"},
      {"record 3", ProblemKind::none, ""}};
  ASSERT_EQ(read.size(), expected.size());
  for (std::size_t i = 0; i < read.size(); ++i) {
    EXPECT_EQ(std::make_tuple(read[i].source, read[i].problem, read[i].message),
              std::make_tuple("runs.json, " + std::get<0>(expected[i]), std::get<1>(expected[i]),
                              std::get<2>(expected[i])));
    EXPECT_EQ(read[i].run.has_value(), read[i].problem == ProblemKind::none);
  }
}

// As `yes '{' | head -c 16777216` makes: the first problems are named, the
// rest counted in one line, and the records around them still read.
TEST(Records, AFileOfJunkNamesItsFirstTenProblemsAndCountsTheRest) {
  const std::string record = sample_text();
  std::string junk;
  for (int i = 0; i < 25; ++i) {
    junk += "{\n";
  }
  const auto read = read_records(record + junk + record, "runs.json");
  const std::size_t first_junk_line =
      static_cast<std::size_t>(std::count(record.begin(), record.end(), '\n')) + 1;
  ASSERT_EQ(read.size(), 13U);
  EXPECT_EQ(read[0].source, "runs.json, record 1");
  for (std::size_t i = 1; i <= problems_named_per_file; ++i) {
    EXPECT_EQ(read[i].source, "runs.json, line " + std::to_string(first_junk_line + i - 1));
    EXPECT_EQ(read[i].problem, not_a_record);
  }
  EXPECT_EQ(read[11].source, "runs.json, record 2");
  EXPECT_TRUE(read[11].run);
  EXPECT_EQ(std::make_tuple(read[12].source, read[12].problem, read[12].message),
            std::make_tuple(std::string("runs.json"), not_a_record,
                            std::string("15 more texts that are not records")));
}

// Keys a record does not have cost nothing, a key given twice has its last
// value as a whole, and a key may be written with escapes.
TEST(Records, ReadOnlyTheirOwnFieldsWhateverElseTheyHold) {
  Json record = Json::parse(sample_text());
  for (int i = 0; i < 2000; ++i) {
    record["extra" + std::to_string(i)] = {{"deep", {{"deeper", Json::array({i, "x", nullptr})}}}};
  }
  std::string text = record.dump(2);
  const std::string machine = "\"machine\": {";
  text.replace(text.find(machine), machine.size(),
               "\"machine\": {\"host_name\": \"first\", \"processors\": \"two\"},\n\"ma\\u0063hine\": "
               "{\"host_name\": 5, ");
  const RecordedRun run = read_back(text);
  EXPECT_EQ(run.host_name.view(), "alpha");
  EXPECT_EQ(run.processors, 2U);
}

TEST(Records, ADirectoryGivesItsJsonFilesInNameOrder) {
  const fs::path directory = fs::path(::testing::TempDir()) / "megawhets-records";
  fs::remove_all(directory);
  fs::create_directories(directory / "older.json");
  const std::string label = "\"label\": \"gcc-13 -O3\"";
  for (const char *name : {"beta", "alpha"}) {
    std::string text = sample_text();
    write_file(directory / (std::string(name) + ".json"),
               text.replace(text.find(label), label.size(), "\"label\": \"" + std::string(name) + "\""));
  }
  write_file(directory / "notes.txt", "not a record\n");
  const auto read = read_sources({directory.string(), (directory / "alpha.json").string()});
  fs::remove_all(directory);
  ASSERT_EQ(read.size(), 3U);
  EXPECT_EQ(read[0].source, (directory / "alpha.json").string() + ", record 1");
  EXPECT_EQ(read[1].source, (directory / "beta.json").string() + ", record 1");
  // The same file again is told apart from its first reading.
  EXPECT_EQ(read[2].source, (directory / "alpha.json").string() + " (argument 2), record 1");
  EXPECT_EQ(read[1].run.value_or(RecordedRun{}).label.value_or(Text()).view(), "beta");
}

#ifndef _WIN32
// A FIFO among a directory's files would wait for ever for a writer; one
// named by itself is read, as `compare <(cat runs.json)` needs. A link to a
// file is read as the file.
TEST(Records, ADirectoryLeavesOutWhatIsNoRegularFile) {
  const fs::path directory = fs::path(::testing::TempDir()) / "megawhets-records-fifo";
  fs::remove_all(directory);
  fs::create_directories(directory);
  write_file(directory / "alpha.json", sample_text());
  fs::create_symlink("alpha.json", directory / "link.json");
  fs::create_symlink("gone.json", directory / "dangling.json");
  ASSERT_EQ(mkfifo((directory / "pipe.json").c_str(), 0600), 0);
  const auto read = read_sources({directory.string()});
  fs::remove_all(directory);
  const auto left_out = [&](const char *name, const char *what) {
    return std::make_tuple((directory / name).string(), ProblemKind::left_out,
                           std::string("is ") + what + "not a regular file, so it is left out unread");
  };
  ASSERT_EQ(read.size(), 4U);
  EXPECT_TRUE(read[0].run);
  EXPECT_EQ(std::make_tuple(read[1].source, read[1].problem, read[1].message),
            left_out("dangling.json", "a link to nothing, "));
  EXPECT_EQ(read[2].source, (directory / "link.json").string() + ", record 1");
  EXPECT_TRUE(read[2].run);
  EXPECT_EQ(std::make_tuple(read[3].source, read[3].problem, read[3].message),
            left_out("pipe.json", "a FIFO, "));
  EXPECT_FALSE(spoils_comparison(read[3].problem));
}
#endif

// Each text kept once, however many records give it, and given back whole.
TEST(Text, IsKeptOnceAndGivenBackWhole) {
  std::vector<Text> texts;
  for (int i = 0; i < 50000; ++i) {
    texts.emplace_back("host-" + std::to_string(i) + std::string(static_cast<std::size_t>(i % 40), 'x'));
  }
  for (int i = 0; i < 50000; ++i) {
    const std::string expected =
        "host-" + std::to_string(i) + std::string(static_cast<std::size_t>(i % 40), 'x');
    ASSERT_EQ(texts[static_cast<std::size_t>(i)].view(), expected);
    ASSERT_EQ(texts[static_cast<std::size_t>(i)], Text(expected));
  }
  // Ordered by their text, not by when they were kept.
  EXPECT_LT(texts[0], texts[1]);
  EXPECT_LT(Text("a text kept last"), texts[0]);
  EXPECT_TRUE(Text("").empty());
  EXPECT_EQ(Text(std::string(100000, 'z')).view().size(), 100000U);
}

// A start time is held within its run, packed where it is one as the
// program writes it and among the shared texts otherwise: either way given
// back byte for byte, and ordered as the texts are.
TEST(StartTime, IsGivenBackWholeAndOrderedAsItsText) {
  std::string longest;
  for (std::size_t i = 0; i < record::longest_start_time / 2; ++i) {
    longest += "\\u00e9"; // é, escaped: two bytes once undone
  }
  std::string text = sample_text();
  text.replace(text.find("2026-12-08T17:00:45Z"), 20, longest);
  const RecordedRun run = read_back(text);
  EXPECT_EQ(run.started_at.str().size(), record::longest_start_time);
  EXPECT_EQ(run.started_at.str().substr(0, 4), "\u00e9\u00e9");
  // In text order: packed ones (digits and -.:TZ, up to 32), and shared ones
  // (an offset, another character, more than 32 characters).
  std::vector<std::string> ordered = {"",
                                      "2026-12-08T17:00:45+01:00",
                                      "2026-12-08T17:00:45.5Z",
                                      "2026-12-08T17:00:45Z",
                                      "2026-12-08T17:00:45Z ",
                                      "2026-12-08T17:00:46.00000000000Z", // 32, packed
                                      "2026-12-08T17:00:46.000000000000Z",
                                      "2026-12-08T17:00:46.0000000000000Z",
                                      "2026-12-08t17:00:46Z",
                                      "2026-12-0800000000000000000000000",
                                      "Z"};
  std::sort(ordered.begin(), ordered.end());
  for (std::size_t i = 0; i < ordered.size(); ++i) {
    EXPECT_EQ(StartTime(ordered[i]).str(), ordered[i]);
    for (std::size_t j = 0; j < ordered.size(); ++j) {
      EXPECT_EQ(StartTime(ordered[i]) <=> StartTime(ordered[j]), i <=> j) << ordered[i] << " " << ordered[j];
      EXPECT_EQ(StartTime(ordered[i]) == StartTime(ordered[j]), i == j);
    }
  }
  EXPECT_EQ(sizeof(StartTime), 16U);
}

TEST(Timestamp, IsUtcInRfc3339) {
  using namespace std::chrono;
  const sys_days day = year{2026} / December / 8;
  EXPECT_EQ(rfc3339_utc(day + hours{17} + seconds{45} + milliseconds{999}), "2026-12-08T17:00:45Z");
  EXPECT_EQ(rfc3339_utc(sys_days{year{2000} / February / 29} - seconds{1}), "2000-02-28T23:59:59Z");
}

} // namespace
