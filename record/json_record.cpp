#include "record/json_record.h"

#include "pass/figures.h"
#include "record/json_writer.h"

namespace record {
namespace {

using pass::PassOutcome;

// Text that ends a line on standard error is one value here.
std::string_view without_line_break(std::string_view text) {
  return !text.empty() && text.back() == '\n' ? text.substr(0, text.size() - 1) : text;
}

void write_program_and_build(JsonWriter &json, const platform::Build &build) {
  json.key("program").begin_object().key("name").string("megawhets").key("version").string(build.version).end_object();
  json.key("build")
      .begin_object()
      .key("compiler")
      .string(build.compiler)
      .key("compiler_version")
      .string(build.compiler_version)
      .key("flags")
      .string(build.code_flags)
      .key("architecture")
      .string(build.architecture)
      .end_object();
}

void write_machine(JsonWriter &json, const platform::Machine &machine, const platform::OperatingSystem &system) {
  json.key("machine").begin_object().key("processor_model");
  machine.processor_model.empty() ? json.null() : json.string(machine.processor_model);
  json.key("processors");
  machine.processors == 0 ? json.null() : json.integer(machine.processors);
  json.key("os_name").string(system.name).key("os_release").string(system.release).end_object();
}

void write_counts(JsonWriter &json, const std::optional<pass::Counts> &counts) {
  json.key("counts");
  if (!counts) {
    json.null();
    return;
  }
  json.begin_object().key("inner").integer(counts->inner).key("outer").integer(counts->outer);
  json.key("chosen_by").string(counts->auto_seconds ? "auto" : "typed").key("auto_seconds");
  counts->auto_seconds ? json.number(*counts->auto_seconds) : json.null();
  json.end_object();
}

void write_groups(JsonWriter &json, const pass::PassTiming &timing, const pass::SteadyFigures &steady) {
  const double megawhets = pass::megawhets_per_rate_unit;
  json.key("groups")
      .begin_object()
      .key("outer_per_group")
      .integer(timing.groups.outer_per_group)
      .key("count")
      .integer(static_cast<std::int64_t>(steady.groups))
      .key("fastest_megawhets_per_second")
      .number(steady.fastest_rate * megawhets)
      .key("slowest_megawhets_per_second")
      .number(steady.slowest_rate * megawhets)
      .end_object();
}

// Each copy's own figures, its start measured from the earliest copy's,
// which is where the machine's figures for the pass start.
void write_copies(JsonWriter &json, const PassOutcome &pass) {
  const double earliest = pass.timing.start;
  double latest = earliest;
  for (const pass::CopyOutcome &copy : pass.copies) {
    latest = copy.timing.start > latest ? copy.timing.start : latest;
  }
  json.key("start_spread_seconds");
  pass.copies.empty() ? json.null() : json.number(latest - earliest);
  json.key("copies").begin_array();
  for (std::size_t copy = 0; copy < pass.copies.size(); ++copy) {
    const pass::PassTiming &timing = pass.copies[copy].timing;
    json.begin_object()
        .key("copy")
        .integer(static_cast<std::int64_t>(copy + 1))
        .key("start_offset_seconds")
        .number(timing.start - earliest)
        .key("elapsed_seconds")
        .number(timing.elapsed)
        .key("processor_seconds")
        .number(timing.processor)
        .key("processor_share")
        .number(timing.processor / timing.elapsed);
    write_groups(json, timing, pass.copies[copy].steady);
    json.end_object();
  }
  json.end_array();
}

void write_pass(JsonWriter &json, const PassOutcome &pass) {
  const double megawhets = pass::megawhets_per_rate_unit;
  json.begin_object()
      .key("pass")
      .integer(pass.number)
      .key("inner")
      .integer(pass.inner)
      .key("outer")
      .integer(pass.outer)
      .key("work_units")
      .number(pass::work_units(pass.inner, pass.outer))
      .key("elapsed_seconds")
      .number(pass.figures.elapsed)
      .key("rate")
      .number(pass.figures.rate)
      .key("megawhets_per_second")
      .number(pass.figures.rate * megawhets)
      .key("processor_seconds")
      .number(pass.timing.processor)
      .key("processor_share")
      .number(pass.timing.processor / pass.timing.elapsed);
  write_groups(json, pass.timing, pass.steady);
  write_copies(json, pass);
  json.end_object();
}

void write_passes_and_comparison(JsonWriter &json, const std::vector<PassOutcome> &passes) {
  json.key("passes").begin_array();
  for (const PassOutcome &pass : passes) {
    write_pass(json, pass);
  }
  json.end_array().key("comparison");
  if (passes.size() != 2) {
    json.null();
    return;
  }
  const pass::Comparison comparison = pass::compare_passes(passes[0].figures, passes[1].figures);
  json.begin_object()
      .key("time_error_seconds")
      .number(comparison.time_error)
      .key("rate_error_megawhets_per_second")
      .number(comparison.rate_error)
      .key("percent_error")
      .number(comparison.percent_error)
      .key("advice_given")
      .boolean(pass::advice_needed(passes[0].figures.elapsed + passes[1].figures.elapsed))
      .end_object();
}

void write_self_check(JsonWriter &json, const std::optional<self_check::Mismatch> &mismatch) {
  json.key("self_check").begin_object().key("passed").boolean(!mismatch).key("mismatch");
  if (mismatch) {
    json.begin_object()
        .key("value")
        .string(mismatch->value)
        .key("got")
        .string(mismatch->got)
        .key("expected")
        .string(mismatch->expected)
        .end_object();
  } else {
    json.null();
  }
  json.end_object();
}

void write_warnings(JsonWriter &json, const std::vector<report::RunWarning> &warnings) {
  json.key("warnings").begin_array();
  for (const report::RunWarning &warning : warnings) {
    json.begin_object()
        .key("kind")
        .string(report::warning_kind_name(warning.kind))
        .key("pass");
    warning.pass == 0 ? json.null() : json.integer(warning.pass);
    json.key("copy");
    warning.copy == 0 ? json.null() : json.integer(warning.copy);
    json.key("text")
        .string(without_line_break(warning.text))
        .end_object();
  }
  json.end_array();
}

} // namespace

std::string record_json(const RunRecord &run) {
  JsonWriter json;
  json.begin_object().key("schema_version").integer(schema_version);
  write_program_and_build(json, run.build);
  write_machine(json, run.machine, run.operating_system);
  json.key("started_at").string(run.started_at);
  write_counts(json, run.counts);
  json.key("copies");
  if (run.copies) {
    json.begin_object()
        .key("count")
        .integer(run.copies->count)
        .key("usable_processors")
        .integer(run.copies->usable_processors)
        .end_object();
  } else {
    json.null();
  }
  write_passes_and_comparison(json, run.passes);
  write_self_check(json, run.mismatch);
  write_warnings(json, run.warnings);
  json.key("exit_status").integer(run.exit_status).end_object();
  return json.text();
}

} // namespace record
