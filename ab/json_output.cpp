#include "ab/json_output.h"
#include "ab/disturbed_slices.h"

#include "ab/judged_figure.h"
#include "ab/verdict_words.h"
#include "record/warning_kinds.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace ab {
namespace {

using Json = nlohmann::ordered_json;

constexpr int schema_version = 1;

// JSON holds no infinity and no NaN: a figure there is none of is null.
Json figure(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

template <class T> Json optional(const std::optional<T> &value) {
  return value ? Json(*value) : Json(nullptr);
}

Json settings_json(const Settings &settings) {
  return {{"slice_seconds", settings.slice_seconds},
          {"budget_seconds", optional(settings.budget_seconds)},
          {"rounds", optional(settings.rounds)},
          {"alpha", settings.alpha},
          {"threshold_percent", settings.threshold_percent},
          {"figure", figure_name(settings.figure)},
          // As text: a 64-bit seed is beyond the integers many JSON readers
          // hold exactly.
          {"seed", std::to_string(settings.seed)}};
}

Json program_json(const Program &program, int index) {
  return {{"letter", program_letters[index]},
          {"name", program.name},
          {"path", program.path},
          {"version", program.version},
          {"build", program.build}};
}

Json slice_json(const Slice &slice) {
  return {{"round", slice.round},
          {"program", program_letters[slice.program]},
          {"start_seconds", figure(slice.start_seconds)},
          {"seconds", figure(slice.seconds)},
          {"steady", figure(slice.steady)},
          {"rate", figure(slice.rate)},
          {"processor_rate", figure(slice.processor_rate)},
          {"processor_steady", figure(slice.processor_steady)},
          {"warnings", record::warning_kind_names(slice.warnings)},
          {"processor", optional(slice.processor)},
          {"started_at", slice.started_at}};
}

Json round_json(const Round &round, Mode mode) {
  return {{"round", round.number},
          {"order", mode == Mode::duet ? "together"
                    : round.b_first    ? "BA"
                                       : "AB"},
          {"a_slice", round.a_slice},
          {"b_slice", round.b_slice},
          {"log_ratio", figure(round.log_ratio)},
          {"change_percent", figure(std::expm1(round.log_ratio) * 100.0)},
          {"start_apart_seconds", round.start_apart ? figure(*round.start_apart) : Json(nullptr)}};
}

Json duet_check_json(const std::optional<DuetCheck> &check) {
  if (!check) {
    return nullptr;
  }
  return {{"processors", {check->processors[0], check->processors[1]}},
          {"rounds", check->rounds},
          {"processor_difference_percent", figure(check->processor_difference_percent)},
          {"duet_slowdown_percent", figure(check->duet_slowdown_percent)},
          {"passed", check->passed}};
}

Json answer_json(const Answer &answer, bool disturbed) {
  return {{"rounds", answer.rounds},
          {"change_percent", figure(answer.change_percent)},
          {"low_percent", figure(answer.low_percent)},
          {"high_percent", figure(answer.high_percent)},
          {"interval_is_range", answer.interval_is_range},
          {"confidence", answer.confidence},
          {"p_value", figure(answer.p_value)},
          {"verdict", verdict_name(answer.verdict)},
          {"rounds_to_decide", optional(answer.rounds_to_decide)},
          {"disturbed", disturbed}};
}

Json unpaired_json(const UnpairedView &view) {
  return {
      {"change_percent", figure(view.change_percent)},
      {"p_value", figure(view.p_value)},
      {"low_percent", figure(view.shift_low_percent)},
      {"high_percent", figure(view.shift_high_percent)},
      {"a", {{"median", figure(view.a_median)}, {"low", figure(view.a_low)}, {"high", figure(view.a_high)}}},
      {"b", {{"median", figure(view.b_median)}, {"low", figure(view.b_low)}, {"high", figure(view.b_high)}}},
      {"intervals_are_ranges", view.intervals_are_ranges}};
}

} // namespace

std::string json_output(const PairedComparison &comparison) {
  Json programs = Json::array();
  for (int i = 0; i < 2; ++i) {
    programs.push_back(program_json(comparison.programs[i], i));
  }
  Json slices = Json::array();
  for (const Slice &slice : comparison.slices) {
    slices.push_back(slice_json(slice));
  }
  Json rounds = Json::array();
  for (const Round &round : comparison.rounds) {
    rounds.push_back(round_json(round, comparison.mode));
  }
  const Json document = {{"schema_version", schema_version},
                         {"settings", settings_json(comparison.settings)},
                         {"programs", programs},
                         {"counts", {{"inner", comparison.inner}, {"outer", comparison.outer}}},
                         {"mode", comparison.mode == Mode::duet ? "duet" : "interleaved"},
                         {"mode_reason", comparison.mode_reason},
                         {"duet_check", duet_check_json(comparison.duet_check)},
                         {"slices", slices},
                         {"rounds", rounds},
                         {"answer", answer_json(comparison.answer, rests_on_disturbed_slices(comparison))},
                         {"unpaired", unpaired_json(comparison.unpaired)},
                         {"seconds", figure(comparison.seconds)},
                         {"warned_slices", comparison.warned_slices},
                         {"stopped_early", comparison.stopped_early},
                         {"interrupted", comparison.interrupted},
                         {"failure", comparison.failure.empty() ? Json(nullptr) : Json(comparison.failure)},
                         {"warnings", comparison.warnings}};
  return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace ab
