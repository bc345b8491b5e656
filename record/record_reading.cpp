#include "record/record_reading.h"

#include "record/field_checks.h"
#include "record/json_record.h"
#include "record/label.h"
#include "text/formatted.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace record {
namespace {

// The text of a run, as the record gives it, until the run proves to be one
// and its text is kept.
struct RunText {
  std::string_view program_version, label, host_name, processor_model, compiler, compiler_version, flags,
      architecture, started_at;
  bool labelled = false;
};

class RecordReading {
public:
  RecordReading(const RecordFields &fields, const ElementTallies &tallies, UnescapedText &undone)
      : f_(fields), tallies_(tallies), undone_(undone), record_{fields.root, Path{}} {}

  RecordedRun run() {
    check_origin();
    RecordedRun run;
    RunText text;
    read_program_and_build(text);
    read_machine(run, text);
    text.started_at = field_text(member(record_, f_.started_at, "started_at"),
                                 {longest_start_time, "a start time"}, undone_.started_at);
    const Field copies = member(record_, f_.copies, "copies");
    run.copies = copies.value.type == FieldValue::Type::null
                     ? 0U
                     : positive_unsigned(member(copies, f_.copies_count, "count"));
    run.self_check_passed =
        field_boolean(member(member(record_, f_.self_check, "self_check"), f_.self_check_passed, "passed"));
    read_passes(run);
    const Field warnings = member(record_, f_.warnings, "warnings");
    require_array(warnings);
    if (const auto &fault = tallies_.warnings().fault) {
      refuse_warning(fault->index, fault->fields, undone_.name);
    }
    run.warnings = static_cast<std::uint32_t>(
        std::min<std::size_t>(tallies_.warnings().count, std::numeric_limits<std::uint32_t>::max()));
    run.disturbances = static_cast<std::uint32_t>(
        std::min<std::size_t>(tallies_.warnings().disturbances, std::numeric_limits<std::uint32_t>::max()));
    run.warning_kinds = tallies_.warnings().kinds;
    run.exit_status =
        static_cast<int>(field_integer(member(record_, f_.exit_status, "exit_status"),
                                       std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    if (unfit_) {
      throw *unfit_;
    }
    keep(text, run);
    return run;
  }

private:
  // Another version, or another program, may mean anything by the rest.
  void check_origin() {
    require_object(record_);
    const Field version = member(record_, f_.schema_version, "schema_version");
    const bool integer = version.value.type == FieldValue::Type::number && version.value.flag;
    if (!integer || version.value.text != std::to_string(schema_version)) {
      throw not_a_record(version, what_it_is(version.value) +
                                      ", but this megawhets reads records of version " +
                                      std::to_string(schema_version));
    }
    const Field program = member(record_, f_.program, "program");
    const Field name = member(program, f_.program_name, "name");
    if (name.value.type != FieldValue::Type::string) {
      throw mismatch(name, "a string");
    }
    // Enough of a long name to show the first 40 characters of it.
    const std::size_t length = unescaped(name.value.string(), undone_.name, 64);
    if (length != undone_.name.size() || undone_.name != "megawhets") {
      const std::string shown =
          nlohmann::json(undone_.name).dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
      throw not_a_record(name, shown.substr(0, 40) + ", not megawhets");
    }
  }

  void read_program_and_build(RunText &text) {
    text.program_version =
        field_text(member(member(record_, f_.program, "program"), f_.program_version, "version"),
                   {longest_program_version, "a program version"}, undone_.program_version);
    if (const Field label = optional_member(record_, f_.label, "label");
        label.value.type != FieldValue::Type::absent && label.value.type != FieldValue::Type::null) {
      if (label.value.type != FieldValue::Type::string) {
        throw mismatch(label, "a string");
      }
      // A long label is refused by its length, without keeping it whole.
      const std::size_t length = unescaped(label.value.string(), undone_.label, longest_label);
      std::string problem = label_length_problem(length);
      if (problem.empty()) {
        text.label = label.value.flag ? std::string_view(undone_.label) : label.value.text;
        problem = label_problem(text.label);
      }
      if (!problem.empty()) {
        throw not_a_record(label, "the label " + problem);
      }
      text.labelled = true;
    }
    const Field build = member(record_, f_.build, "build");
    const TextLimit build_text{longest_build_text, "a compiler's name"};
    text.compiler = field_text(member(build, f_.compiler, "compiler"), build_text, undone_.compiler);
    text.compiler_version =
        field_text(member(build, f_.compiler_version, "compiler_version"),
                   {longest_build_text, "a compiler's version"}, undone_.compiler_version);
    text.flags =
        field_text(member(build, f_.flags, "flags"), {longest_flags, "the build's flags"}, undone_.flags);
    // A test build's drag is shown wherever its flags are, and sets it
    // apart from the build without one.
    if (const Field drag = optional_member(build, f_.drag_percent, "drag_percent");
        drag.value.type != FieldValue::Type::absent) {
      undone_.flags_with_drag =
          std::string(text.flags) + ", drag " + std::to_string(field_integer(drag, 1, 100)) + " %";
      text.flags = undone_.flags_with_drag;
    }
    text.architecture = field_text(member(build, f_.architecture, "architecture"),
                                   {longest_build_text, "an architecture"}, undone_.architecture);
  }

  void read_machine(RecordedRun &run, RunText &text) {
    const Field machine = member(record_, f_.machine, "machine");
    if (const Field host_name = optional_member(machine, f_.host_name, "host_name");
        host_name.value.type != FieldValue::Type::absent) {
      text.host_name = text_or_empty(host_name, {longest_host_name, "a host name"}, undone_.host_name);
    }
    text.processor_model =
        text_or_empty(member(machine, f_.processor_model, "processor_model"),
                      {longest_processor_model, "a processor's model"}, undone_.processor_model);
    const Field processors = member(machine, f_.processors, "processors");
    run.processors = processors.value.type == FieldValue::Type::null ? 0U : positive_unsigned(processors);
  }

  void read_passes(RecordedRun &run) {
    const Field passes = member(record_, f_.passes, "passes");
    require_array(passes);
    const std::size_t count = f_.pass_count;
    if (count == 0 && !run.self_check_passed) {
      throw Refusal{ProblemKind::not_comparable,
                    passes.path.text() + ": none, as the self-check failed before them"};
    }
    if (count != 2) {
      throw not_a_record(passes,
                         std::to_string(count) + (count == 1 ? " pass" : " passes") + " where 2 belong");
    }
    for (std::size_t i = 0; i < count; ++i) {
      read_pass(run, {f_.pass[i].self, Path{&passes.path, {}, i}}, i);
    }
  }

  void read_pass(RecordedRun &run, const Field &pass, std::size_t index) {
    const PassFields &fields = f_.pass[index];
    const int number = static_cast<int>(index + 1);
    const Field number_field = member(pass, fields.pass, "pass");
    if (field_integer(number_field, 1, 2) != number) {
      throw mismatch(number_field, std::to_string(number));
    }
    const Field rate_field = member(pass, fields.megawhets_per_second, "megawhets_per_second");
    const double pass_rate = field_rate(rate_field);
    note_share(field_share(member(pass, fields.processor_share, "processor_share")),
               run.lowest_processor_share);
    const Field groups = member(pass, fields.groups, "groups");
    const Field fastest = member(groups, fields.fastest, "fastest_megawhets_per_second");
    const double fastest_rate = field_rate(fastest);
    const Field copies = member(pass, fields.copies, "copies");
    require_array(copies);
    const CopiesTally &tally = tallies_.copies(index);
    if (tally.count != run.copies) {
      throw not_a_record(copies, std::to_string(tally.count) + (tally.count == 1 ? " copy" : " copies") +
                                     " where " + (run.copies == 0 ? "none" : std::to_string(run.copies)) +
                                     " belong");
    }
    if (tally.fault) {
      refuse_copy(index, tally.fault->index, tally.fault->fields);
    }
    note_share(tally.lowest_share, run.lowest_processor_share);
    if (number != 2) {
      return;
    }
    run.rate = pass_rate;
    if (std::isnan(pass_rate)) {
      unfit(rate_field, "null, as a pass too short for the clock leaves it");
    } else if (pass_rate == 0.0) {
      unfit(rate_field, "0, as a pass with no work (an inner or outer count of 0) leaves it");
    }
    run.steady = run.copies == 0 ? fastest_rate : tally.fastest_sum;
    const auto steady_path = [&] {
      if (run.copies == 0) {
        return fastest.path.text();
      }
      if (tally.first_null) {
        return copies.path.text() + "[" + std::to_string(*tally.first_null) +
               "].groups.fastest_megawhets_per_second";
      }
      return copies.path.text();
    };
    if (std::isnan(run.steady)) {
      unfit(steady_path(), "null, as a pass without a full group of outer iterations leaves it");
    } else if (run.steady == 0.0) {
      unfit(steady_path(), "0, as a pass with no work (an inner or outer count of 0) leaves it");
    } else if (run.steady > most_believable_rate) {
      throw not_a_record(
          copies, text::formatted("fastest groups that add up to %g where a rate of at most %g belongs",
                                  run.steady, most_believable_rate));
    }
  }

  // The first figure a comparison cannot use; the record is read on, since
  // a reason that it is no record at all would count for more.
  void unfit(const Field &field, const std::string &why) { unfit(field.path.text(), why); }
  void unfit(const std::string &path, const std::string &why) {
    if (!unfit_) {
      unfit_ = Refusal{ProblemKind::not_comparable, path + ": " + why};
    }
  }

  // The record is a run: its text is kept, once for every run that has it.
  static void keep(const RunText &text, RecordedRun &run) {
    run.program_version = Text(text.program_version);
    if (text.labelled) {
      run.label = Text(text.label);
    }
    run.host_name = Text(text.host_name);
    run.processor_model = Text(text.processor_model);
    run.compiler = Text(text.compiler);
    run.compiler_version = Text(text.compiler_version);
    run.flags = Text(text.flags);
    run.architecture = Text(text.architecture);
    run.started_at = StartTime(text.started_at);
  }

  const RecordFields &f_;
  const ElementTallies &tallies_;
  UnescapedText &undone_;
  Field record_;
  std::optional<Refusal> unfit_{};
};

} // namespace

RecordedRun read_record(const RecordFields &fields, const ElementTallies &tallies, UnescapedText &undone) {
  return RecordReading(fields, tallies, undone).run();
}

RunDetails run_details(const RecordFields &fields) {
  RunDetails details;
  if (fields.counts.type == FieldValue::Type::object) {
    details.inner = figure_or_none(fields.inner);
    details.outer = figure_or_none(fields.outer);
  }
  for (std::size_t i = 0; i < 2; ++i) {
    details.elapsed_seconds[i] = figure_or_none(fields.pass[i].elapsed_seconds);
  }
  const PassFields &second = fields.pass[1];
  details.processor_rate = figure_or_none(second.processor_rate);
  if (second.groups.type == FieldValue::Type::object) {
    details.processor_steady = figure_or_none(second.processor_fastest);
  }
  return details;
}

bool lacks_what_every_record_has(const RecordFields &f) {
  const FieldValue *const every[] = {&f.schema_version, &f.program,    &f.build,      &f.machine,
                                     &f.started_at,     &f.copies,     &f.self_check, &f.passes,
                                     &f.warnings,       &f.exit_status};
  return f.root.type != FieldValue::Type::object ||
         std::any_of(std::begin(every), std::end(every),
                     [](const FieldValue *kept) { return kept->type == FieldValue::Type::absent; });
}

} // namespace record
