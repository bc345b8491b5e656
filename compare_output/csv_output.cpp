#include "compare_output/csv_output.h"

#include "output/csv_table.h"
#include "output/number_text.h"

namespace compare_output {
namespace {

// CSV shows no rounded forms: each figure's cell holds its value, which
// csv_table writes in full.
output::Cell figure(double value) { return output::number_cell(value, {}); }
output::Cell figure(const std::optional<double> &value) {
  return value ? figure(*value) : output::empty_cell("");
}
output::Cell count(std::size_t value) { return output::count_cell(value); }
output::Cell flag(bool value) { return output::text_cell(value ? "true" : "false"); }

output::Table columns(std::initializer_list<const char *> names) {
  output::Table table;
  for (const char *name : names) {
    table.columns.push_back({name});
  }
  return table;
}

output::Table group_figures(const std::vector<compare::GroupResult> &groups) {
  output::Table table = columns({"group",
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
    table.rows.push_back({output::text_cell(group.name),
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
                          output::verdict_cell(group.verdict),
                          count(group.disturbed),
                          flag(group.rests_on_disturbed_runs),
                          figure(group.shift_percent),
                          figure(group.shift_low_percent),
                          figure(group.shift_high_percent)});
  }
  return table;
}

output::Table host_figures(const compare::Comparison &comparison) {
  output::Table table = columns({"host", "stratum", "records", "steady", "stratum_median", "deficit_percent",
                                 "modified_z", "verdict", "lowest_processor_share", "sustain", "warnings"});
  for (const compare::HostResult &host : comparison.hosts) {
    const compare::Stratum &stratum = comparison.strata.at(host.stratum);
    table.rows.push_back({output::text_cell(host.host), output::text_cell(stratum.name), count(host.records),
                          figure(host.steady), figure(stratum.median), figure(host.deficit_percent),
                          figure(host.modified_z), output::verdict_cell(host.verdict),
                          figure(host.lowest_processor_share), figure(host.sustain), count(host.warnings)});
  }
  return table;
}

} // namespace

std::string csv_output(const compare::Comparison &comparison) {
  return output::csv_table(comparison.settings.fleet ? host_figures(comparison)
                                                     : group_figures(comparison.groups));
}

} // namespace compare_output
