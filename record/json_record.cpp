#include "record/json_record.h"

#include "pass/figures.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace record {
namespace {

// Keys keep the order they are written in, so that a record reads as the
// report does.
using Json = nlohmann::ordered_json;
using pass::PassOutcome;

// JSON holds no infinity and no NaN: a figure that is not finite, as a pass
// too short for the clock gives, is null.
Json figure(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

Json text_or_null(const std::string &text) { return text.empty() ? Json(nullptr) : Json(text); }

// Text that ends a line on standard error is one value here.
std::string_view without_line_break(std::string_view text) {
  return !text.empty() && text.back() == '\n' ? text.substr(0, text.size() - 1) : text;
}

Json build_object(const platform::Build &build) {
  Json object = {{"compiler", build.compiler},
                 {"compiler_version", build.compiler_version},
                 {"flags", build.code_flags},
                 {"architecture", build.architecture}};
  // Only a test build's record has it, so that its figures cannot pass for
  // a real build's.
  if (build.drag_percent != 0) {
    object["drag_percent"] = build.drag_percent;
  }
  return object;
}

Json machine_object(const platform::Machine &machine, const platform::OperatingSystem &system) {
  return {{"host_name", text_or_null(machine.host_name)},
          {"processor_model", text_or_null(machine.processor_model)},
          {"processors", machine.processors == 0 ? Json(nullptr) : Json(machine.processors)},
          {"os_name", system.name},
          {"os_release", system.release}};
}

Json counts_object(const std::optional<pass::Counts> &counts) {
  if (!counts) {
    return nullptr;
  }
  return {{"inner", counts->inner},
          {"outer", counts->outer},
          {"chosen_by", counts->auto_seconds ? "auto" : "typed"},
          {"auto_seconds", counts->auto_seconds ? figure(*counts->auto_seconds) : Json(nullptr)}};
}

// The pass's work per second of processor time its process used: in copies,
// the machine's work per processor second of all of them.
double processor_megawhets_per_second(const PassOutcome &pass) {
  return pass::megawhets_per_second(pass::pass_rate(pass::work_units(pass.inner, pass.outer), pass.timing.processor));
}

Json groups_object(const pass::PassTiming &timing, const pass::SteadyFigures &steady) {
  return {{"outer_per_group", timing.groups.outer_per_group},
          {"count", steady.groups},
          {"fastest_megawhets_per_second", figure(pass::megawhets_per_second(steady.fastest_rate))},
          {"slowest_megawhets_per_second", figure(pass::megawhets_per_second(steady.slowest_rate))},
          {"fastest_processor_megawhets_per_second", figure(pass::megawhets_per_second(steady.fastest_processor_rate))}};
}

// Each copy's own figures, its start measured from the earliest copy's,
// which is where the machine's figures for the pass start.
void add_copies(Json &object, const PassOutcome &pass) {
  const double earliest = pass.timing.start;
  double latest = earliest;
  for (const pass::CopyOutcome &copy : pass.copies) {
    latest = copy.timing.start > latest ? copy.timing.start : latest;
  }
  object["start_spread_seconds"] = pass.copies.empty() ? Json(nullptr) : figure(latest - earliest);
  Json copies = Json::array();
  for (std::size_t copy = 0; copy < pass.copies.size(); ++copy) {
    const pass::PassTiming &timing = pass.copies[copy].timing;
    copies.push_back({{"copy", copy + 1},
                      {"start_offset_seconds", figure(timing.start - earliest)},
                      {"elapsed_seconds", figure(timing.elapsed)},
                      {"processor_seconds", figure(timing.processor)},
                      {"processor_share", figure(timing.processor / timing.elapsed)},
                      {"groups", groups_object(timing, pass.copies[copy].steady)}});
  }
  object["copies"] = std::move(copies);
}

Json pass_object(const PassOutcome &pass) {
  Json object = {{"pass", pass.number},
                 {"inner", pass.inner},
                 {"outer", pass.outer},
                 {"work_units", figure(pass::work_units(pass.inner, pass.outer))},
                 {"elapsed_seconds", figure(pass.figures.elapsed)},
                 {"rate", figure(pass.figures.rate)},
                 {"megawhets_per_second", figure(pass::megawhets_per_second(pass.figures.rate))},
                 {"processor_seconds", figure(pass.timing.processor)},
                 {"processor_share", figure(pass.timing.processor / pass.timing.elapsed)},
                 {"processor_megawhets_per_second", figure(processor_megawhets_per_second(pass))},
                 {"groups", groups_object(pass.timing, pass.steady)}};
  add_copies(object, pass);
  return object;
}

Json comparison_object(const std::vector<PassOutcome> &passes, const pass::Counts &counts) {
  if (passes.size() != 2) {
    return nullptr;
  }
  const pass::Comparison comparison = pass::compare_passes(passes[0].figures, passes[1].figures);
  return {{"time_error_seconds", figure(comparison.time_error)},
          {"rate_error_megawhets_per_second", figure(comparison.rate_error)},
          {"percent_error", figure(comparison.percent_error)},
          {"advice_given", pass::advice_needed(passes[0].figures.elapsed + passes[1].figures.elapsed, counts)}};
}

Json self_check_object(const std::optional<self_check::Mismatch> &mismatch) {
  return {{"passed", !mismatch},
          {"mismatch",
           mismatch
               ? Json{{"value", mismatch->value}, {"got", mismatch->got}, {"expected", mismatch->expected}}
               : Json(nullptr)}};
}

Json warnings_array(const std::vector<report::RunWarning> &warnings) {
  Json array = Json::array();
  for (const report::RunWarning &warning : warnings) {
    array.push_back({{"kind", report::warning_kind_name(warning.kind)},
                     {"pass", warning.pass == 0 ? Json(nullptr) : Json(warning.pass)},
                     {"copy", warning.copy == 0 ? Json(nullptr) : Json(warning.copy)},
                     {"text", without_line_break(warning.text)}});
  }
  return array;
}

} // namespace

std::string record_json(const RunRecord &run) {
  Json passes = Json::array();
  for (const PassOutcome &pass : run.passes) {
    passes.push_back(pass_object(pass));
  }
  const Json record = {{"schema_version", schema_version},
                       {"program", {{"name", "megawhets"}, {"version", run.build.version}}},
                       {"label", run.label ? Json(*run.label) : Json(nullptr)},
                       {"build", build_object(run.build)},
                       {"machine", machine_object(run.machine, run.operating_system)},
                       {"started_at", run.started_at},
                       {"counts", counts_object(run.counts)},
                       {"copies", run.copies ? Json{{"count", run.copies->count},
                                                    {"usable_processors", run.copies->usable_processors}}
                                             : Json(nullptr)},
                       {"passes", std::move(passes)},
                       {"comparison", comparison_object(run.passes, run.counts.value_or(pass::Counts{}))},
                       {"self_check", self_check_object(run.mismatch)},
                       {"warnings", warnings_array(run.warnings)},
                       {"exit_status", run.exit_status}};
  // Text that is not valid UTF-8 (a processor name in a legacy code page,
  // say) has each bad sequence replaced, so the record is always valid JSON;
  // all other text is kept as it is, UTF-8 included.
  return record.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace record
