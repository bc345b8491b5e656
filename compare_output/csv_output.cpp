#include "compare_output/csv_output.h"

#include "output/csv_table.h"
#include "output/number_text.h"

namespace compare_output {

using output::Cell;
using output::count_cell;
using output::csv_table;
using output::empty_cell;
using output::number_cell;
using output::Table;
using output::text_cell;
using output::verdict_cell;

namespace {

// CSV shows no rounded forms: each figure's cell holds its value, which
// csv_table writes in full.
Cell figure(double value) { return number_cell(value, {}); }
Cell figure(const std::optional<double> &value) { return value ? figure(*value) : empty_cell(""); }
Cell count(std::size_t value) { return count_cell(value); }
Cell flag(bool value) { return text_cell(value ? "true" : "false"); }

Table columns(std::initializer_list<const char *> names) {
  Table table;
  for (const char *name : names) {
    table.columns.push_back({name});
  }
  return table;
}

Table group_figures(const std::vector<compare::GroupResult> &groups) {
  Table table = columns({"group",
                         "base",
                         "records",
                         "steady_median",
                         "steady_low",
                         "steady_high",
                         "low_high_is_range",
                         "steady_min",
                         "steady_max",
                         "rate_median",
                         "sustain_median",
                         "warned",
                         "change_percent",
                         "p_value",
                         "enough_records",
                         "significant",
                         "verdict",
                         "disturbed",
                         "rests_on_disturbed_runs",
                         "shift_percent",
                         "shift_low_percent",
                         "shift_high_percent"});
  for (const compare::GroupResult &group : groups) {
    const compare::Spread &steady = group.steady;
    table.rows.push_back({text_cell(group.name),
                          flag(group.base),
                          count(group.records.size()),
                          figure(steady.median),
                          figure(steady.low),
                          figure(steady.high),
                          flag(steady.low_high_is_range),
                          figure(steady.min),
                          figure(steady.max),
                          figure(group.rate_median),
                          figure(group.sustain_median),
                          count(group.warned),
                          figure(group.change_percent),
                          figure(group.p_value),
                          flag(group.enough_records),
                          flag(group.significant),
                          verdict_cell(group.verdict),
                          count(group.disturbed),
                          flag(group.rests_on_disturbed_runs),
                          figure(group.shift_percent),
                          figure(group.shift_low_percent),
                          figure(group.shift_high_percent)});
  }
  return table;
}

Table host_figures(const compare::Comparison &comparison) {
  Table table = columns({"host", "stratum", "records", "steady", "stratum_median", "deficit_percent",
                         "modified_z", "verdict", "lowest_processor_share", "sustain", "warnings"});
  for (const compare::HostResult &host : comparison.hosts) {
    const compare::Stratum &stratum = comparison.strata.at(host.stratum);
    table.rows.push_back({text_cell(host.host), text_cell(stratum.name), count(host.records),
                          figure(host.steady), figure(stratum.median), figure(host.deficit_percent),
                          figure(host.modified_z), verdict_cell(host.verdict),
                          figure(host.lowest_processor_share), figure(host.sustain), count(host.warnings)});
  }
  return table;
}

} // namespace

std::string csv_output(const compare::Comparison &comparison) {
  return csv_table(comparison.settings.fleet ? host_figures(comparison) : group_figures(comparison.groups));
}

} // namespace compare_output
