#include "history/history_json.h"

#include "compare/keys.h"
#include "history/change_text.h"
#include "output/verdict_style.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace history {
namespace {

using Json = nlohmann::ordered_json;

constexpr int schema_version = 1;

Json number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }
Json number(const std::optional<double> &value) { return value ? number(*value) : Json(nullptr); }

Json settings_json(const ViewSettings &settings) {
  Json keys = Json::array();
  for (const compare::Key key : settings.keys) {
    keys.push_back(std::string(compare::key_name(key)));
  }
  return {{"keys", keys},
          {"min_change_percent", settings.trend.min_change_percent},
          {"alpha", settings.trend.change_points.alpha},
          {"permutations", settings.trend.change_points.permutations},
          {"shortest_segment", settings.trend.change_points.shortest_segment},
          {"fleet", settings.fleet},
          {"slow_percent", settings.slow_percent},
          {"recent_days", settings.recent_days}};
}

Json change_json(const ChangeLine &change) {
  return {{"line", change_line(change)},     {"percent", number(change.percent)},
          {"started_at", change.started_at}, {"run", change.run},
          {"p_value", change.p_value},       {"recent", change.recent},
          {"of_stratum", change.of_stratum}};
}

Json series_json(const SeriesView &series, bool fleet) {
  const record::RecordedRun &identity = series.identity;
  Json segments = Json::array();
  for (const Segment &segment : series.segments) {
    segments.push_back({{"first_run", segment.first + 1},
                        {"last_run", segment.last + 1},
                        {"runs", segment.runs},
                        {"median", number(segment.median)}});
  }
  Json changes = Json::array();
  for (const ChangeLine &change : series.changes) {
    changes.push_back(change_json(change));
  }
  Json object = {{"name", series.name},
                 {"host", identity.host_name.empty() ? Json(nullptr) : Json(identity.host_name.str())},
                 {"label", identity.label ? Json(identity.label->str()) : Json(nullptr)},
                 {"processor", compare::key_value(identity, compare::Key::processor)},
                 {"build", compare::key_value(identity, compare::Key::build)},
                 {"copies", identity.copies},
                 {"stratum", series.stratum},
                 {"runs", series.runs},
                 {"left_out", series.left_out},
                 {"first", series.first},
                 {"last", series.last},
                 {"level", number(series.level)},
                 {"segments", segments},
                 {"changes", changes}};
  if (fleet) {
    object["verdict"] = std::string(output::verdict_word(series.verdict));
    object["deficit_percent"] = number(series.deficit_percent);
    object["modified_z"] = number(series.modified_z);
    object["unjudged_because"] =
        series.unjudged_because.empty() ? Json(nullptr) : Json(series.unjudged_because);
  }
  return object;
}

} // namespace

std::string history_json(const HistoryView &view) {
  Json series = Json::array();
  for (const SeriesView &one : view.series) {
    series.push_back(series_json(one, view.settings.fleet));
  }
  Json strata = Json::array();
  for (const StratumChange &change : view.stratum_changes) {
    strata.push_back({{"stratum", change.stratum},
                      {"percent", number(change.percent)},
                      {"started_at", change.started_at},
                      {"series", change.series},
                      {"stratum_series", change.stratum_series},
                      {"recent", change.recent}});
  }
  Json flagged = Json::array();
  for (const std::string &host : flagged_hosts(view)) {
    flagged.push_back(host);
  }
  const Json document = {{"schema_version", schema_version},
                         {"settings", settings_json(view.settings)},
                         {"runs", view.runs},
                         {"newest", view.newest.empty() ? Json(nullptr) : Json(view.newest)},
                         {"series", series},
                         {"stratum_changes", strata},
                         {"flagged", flagged},
                         {"future_runs", view.future_runs}};
  return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace history
