#include "compare_output/json_output.h"

#include "compare/keys.h"
#include "output/verdict_style.h"

#include <nlohmann/json.hpp>

namespace compare_output {
namespace {

using Json = nlohmann::ordered_json;

constexpr int schema_version = 1;

template <class T> Json optional(const std::optional<T> &value) {
  return value ? Json(*value) : Json(nullptr);
}

std::string direction_word(compare::Direction direction) {
  switch (direction) {
  case compare::Direction::faster:
    return "faster";
  case compare::Direction::slower:
    return "slower";
  case compare::Direction::neither:
    break;
  }
  return "neither";
}

Json settings_json(const compare::Settings &settings) {
  Json keys = Json::array();
  for (const compare::Key key : settings.keys) {
    keys.push_back(std::string(compare::key_name(key)));
  }
  return {{"keys", keys},
          {"alpha", settings.alpha},
          {"threshold_percent", settings.threshold_percent},
          {"slow_percent", settings.slow_percent},
          {"fleet", settings.fleet}};
}

Json group_json(const compare::GroupResult &group) {
  Json points = Json::array();
  for (const compare::RecordPoint &point : group.records) {
    points.push_back({{"source", point.source},
                      {"steady", point.steady},
                      {"rate", point.rate},
                      {"sustain", point.sustain},
                      {"warned", point.warned}});
  }
  const compare::Spread &steady = group.steady;
  return {{"name", group.name},
          {"base", group.base},
          {"records", group.records.size()},
          {"steady",
           {{"median", steady.median},
            {"low", steady.low},
            {"high", steady.high},
            {"low_high_is_range", steady.low_high_is_range},
            {"min", steady.min},
            {"max", steady.max}}},
          {"rate", {{"median", group.rate_median}}},
          {"sustain", {{"median", group.sustain_median}}},
          {"warned", group.warned},
          {"disturbed", group.disturbed},
          {"rests_on_disturbed_runs", group.rests_on_disturbed_runs},
          {"change_percent", optional(group.change_percent)},
          {"p_value", optional(group.p_value)},
          {"p_exact", group.p_exact},
          {"direction", direction_word(group.direction)},
          {"shift_percent", optional(group.shift_percent)},
          {"shift_low_percent", optional(group.shift_low_percent)},
          {"shift_high_percent", optional(group.shift_high_percent)},
          {"shift_interval_exact", group.shift_interval_exact},
          {"could_be_significant", group.could_be_significant},
          {"only_ties_differ", group.only_ties_differ},
          {"enough_records", group.enough_records},
          {"significant", group.significant},
          {"verdict", std::string(output::verdict_word(group.verdict))},
          {"records_needed", optional(group.records_needed)},
          {"points", points}};
}

Json text_or_null(const std::string &text) { return text.empty() ? Json(nullptr) : Json(text); }

Json stratum_json(const compare::Stratum &stratum) {
  return {{"name", stratum.name},
          {"hosts", stratum.hosts.size()},
          {"median", stratum.median},
          {"median_absolute_deviation", stratum.median_absolute_deviation},
          {"slow_threshold", stratum.slow_threshold},
          {"unjudged_because", text_or_null(stratum.unjudged_because)}};
}

Json host_json(const compare::HostResult &host, const compare::Stratum &stratum) {
  return {{"host", host.host},
          {"stratum", stratum.name},
          {"records", host.records},
          {"steady", host.steady},
          {"stratum_median", stratum.median},
          {"deficit_percent", optional(host.deficit_percent)},
          {"modified_z", optional(host.modified_z)},
          {"verdict", std::string(output::verdict_word(host.verdict))},
          {"unjudged_because", text_or_null(stratum.unjudged_because)},
          {"lowest_processor_share", host.lowest_processor_share},
          {"sustain", host.sustain},
          {"warnings", host.warnings}};
}

} // namespace

std::string json_output(const compare::Comparison &comparison) {
  Json groups = Json::array();
  for (const compare::GroupResult &group : comparison.groups) {
    groups.push_back(group_json(group));
  }
  Json strata = nullptr;
  Json hosts = nullptr;
  if (comparison.settings.fleet) {
    strata = Json::array();
    for (const compare::Stratum &stratum : comparison.strata) {
      strata.push_back(stratum_json(stratum));
    }
    hosts = Json::array();
    for (const compare::HostResult &host : comparison.hosts) {
      hosts.push_back(host_json(host, comparison.strata.at(host.stratum)));
    }
  }
  Json excluded = Json::array();
  for (const compare::ExcludedRecord &record : comparison.excluded) {
    excluded.push_back({{"source", record.source}, {"reason", record.reason}});
  }
  const Json document = {{"schema_version", schema_version},
                         {"settings", settings_json(comparison.settings)},
                         {"groups", groups},
                         {"strata", strata},
                         {"hosts", hosts},
                         {"excluded", excluded},
                         {"duplicates", comparison.duplicates},
                         {"slow_hosts", comparison.slow_hosts},
                         {"slow_hosts_apart", comparison.slow_hosts_apart}};
  return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace compare_output
