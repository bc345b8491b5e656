#include "compare_output/tables.h"

#include "compare/compare_runs.h"
#include "compare/fleet_judgement.h"
#include "compare_output/number_text.h"
#include "compare_output/verdict_style.h"
#include "statistics/records_needed.h"

#include <algorithm>
#include <cmath>

namespace compare_output {
namespace {

using compare::GroupResult;
using compare::HostResult;

std::string interval(const compare::Spread &spread) {
  return rate_text(spread.low) + " .. " + rate_text(spread.high) +
         (spread.low_high_is_range ? " (range)" : "");
}

Cell optional_number(const std::optional<double> &value, std::string (*shown)(double)) {
  return value ? number_cell(*value, shown(*value)) : empty_cell();
}

std::string change_text(double percent) { return percent_text(percent); }

std::string verdict_text(const GroupResult &group) {
  return std::string(verdict_word(group.verdict)) +
         std::string(group.rests_on_disturbed_runs ? disturbed_mark : std::string_view{});
}

std::vector<Cell> group_row(const GroupResult &group) {
  return {text_cell(group.name),
          count_cell(group.records.size()),
          number_cell(group.steady.median, rate_text(group.steady.median)),
          text_cell(interval(group.steady)),
          number_cell(group.rate_median, rate_text(group.rate_median)),
          number_cell(group.sustain_median, fixed_text(group.sustain_median, 3)),
          count_cell(group.warned),
          group.base ? empty_cell("") : optional_number(group.change_percent, change_text),
          group.base ? empty_cell("") : optional_number(group.p_value, probability_text),
          verdict_cell(group.verdict, verdict_text(group))};
}

std::string records_needed_text(std::size_t needed) {
  return needed >= statistics::most_records_needed ? std::to_string(needed) + " or more"
                                                   : std::to_string(needed);
}

// What a group's figures cannot say on their own: that its verdict rests on
// disturbed runs, which a quiet machine would mend; too few records to
// judge; or how many a difference of the size seen would need to be found.
void add_group_notes(const std::vector<GroupResult> &groups, std::vector<std::string> &notes) {
  if (groups.empty()) {
    return;
  }
  const GroupResult &base = groups.front();
  for (const GroupResult &group : groups) {
    if (group.base) {
      continue;
    }
    if (group.rests_on_disturbed_runs) {
      notes.push_back(
          group.name + ": the verdict rests on disturbed runs: " + std::to_string(group.disturbed) +
          " of its " + std::to_string(group.records.size()) + " records and " +
          std::to_string(base.disturbed) + " of the base's " + std::to_string(base.records.size()) +
          " carried an interference or steadiness warning; run again with the machine otherwise "
          "idle.");
      continue;
    }
    if (!group.records_needed) {
      continue;
    }
    const std::string sizes = std::to_string(group.records.size()) + " records against the base's " +
                              std::to_string(base.records.size());
    const std::string need =
        "a difference of " + (group.change_percent ? percent_text(*group.change_percent) : std::string("-")) +
        " would need about " + records_needed_text(*group.records_needed) + " records in each to be found";
    notes.push_back(group.name + ": " +
                    (group.enough_records ? "no significant change with " : "too few to judge: ") + sizes +
                    "; " + need + ".");
  }
}

std::string against_median(double deficit_percent) { return percent_text(-deficit_percent, 1); }

std::string z_text(double z) { return signed_text(z, 1); }

// The hosts' table names each stratum S1, S2, ... in their order: strata are
// long ("AMD EPYC 7763, 64 processors; g++ 12.2.0, -O2 ...; one process"),
// and the notes say what each is.
std::string stratum_label(std::size_t stratum) { return "S" + std::to_string(stratum + 1); }

void add_stratum_notes(const std::vector<compare::Stratum> &strata, std::vector<std::string> &notes) {
  for (std::size_t k = 0; k < strata.size(); ++k) {
    const compare::Stratum &stratum = strata[k];
    notes.push_back(stratum_label(k) + ": " + stratum.name + "; " + std::to_string(stratum.hosts.size()) +
                    (stratum.hosts.size() == 1 ? " host" : " hosts") + ", median " +
                    rate_text(stratum.median) +
                    (stratum.unjudged_because.empty() ? "" : "; unjudged: " + stratum.unjudged_because));
  }
}

Table hosts_table(const std::vector<HostResult> &hosts) {
  Table table{.columns = {{"host"},
                          {"stratum"},
                          {"records", Align::right},
                          {"steady", Align::right},
                          {"vs median", Align::right},
                          {"z", Align::right},
                          {"verdict"},
                          {"lowest share", Align::right},
                          {"sustain", Align::right},
                          {"warnings", Align::right}}};
  for (const HostResult &host : hosts) {
    table.rows.push_back({text_cell(host.host), text_cell(stratum_label(host.stratum)),
                          count_cell(host.records), number_cell(host.steady, rate_text(host.steady)),
                          host.deficit_percent
                              ? number_cell(-*host.deficit_percent, against_median(*host.deficit_percent))
                              : empty_cell(),
                          optional_number(host.modified_z, z_text), verdict_cell(host.verdict),
                          number_cell(host.lowest_processor_share, share_text(host.lowest_processor_share)),
                          number_cell(host.sustain, fixed_text(host.sustain, 3)), count_cell(host.warnings)});
  }
  return table;
}

std::string interval_heading() { return fixed_text(compare::interval_confidence * 100.0, 0) + " % interval"; }

// The legend's figures are the ones the comparison judges by.
std::vector<std::string> legend(const compare::Comparison &comparison) {
  const compare::Settings &settings = comparison.settings;
  const std::string steady =
      "steady: pass 2's fastest group of outer iterations in megaWhets/second (for a run in "
      "copies, the sum of the copies'), the median of the records; rate: pass 2's rate as "
      "the report printed it";
  if (settings.fleet) {
    const std::string slow = setting_text(settings.slow_percent) + " %";
    return {
        steady,
        "vs median: a host's steady figure against its stratum's median (the hosts with the same processor, "
        "build and copies); z: modified z-score " +
            setting_text(compare::normal_mad_per_deviation) + " (x - median) / MAD; slow: z below " +
            setting_text(-compare::outlier_z) + " and at least " + slow +
            " below the median (fast: the mirror; with a MAD of 0, the " + slow +
            " alone); unjudged: fewer than " + counted(compare::least_hosts_to_judge, "host", "hosts") +
            " in the stratum",
        "lowest share: the least of the processor any of the host's passes had; sustain: rate / steady, "
        "below "
        "1 when the machine slowed during a run; warnings: those its records carried, which often say why a "
        "host is slow"};
  }
  const std::string too_few(verdict_word(compare::Verdict::too_few));
  std::vector<std::string> lines{
      steady,
      interval_heading() +
          ": for the median steady figure, from order statistics; (range) where fewer than " +
          counted(compare::fewest_records_for_interval(), "record gives", "records give") + " none",
      "sustain: rate / steady, below 1 when the machine slowed during a run; warned: records that carried a "
      "warning",
      "change: the median steady figure against the base's; p: two-sided Mann-Whitney U test; " +
          std::string(verdict_word(compare::Verdict::no_change)) + ": no significant change at " +
          setting_text(settings.alpha) + "; " + too_few + ": fewer than " +
          counted(statistics::least_records_per_group, "record", "records") + " on a side, never judged"};
  const bool any_disturbed =
      std::any_of(comparison.groups.begin(), comparison.groups.end(),
                  [](const GroupResult &group) { return group.rests_on_disturbed_runs; });
  if (any_disturbed) {
    lines.push_back(
        std::string(disturbed_mark.substr(1)) + ": the verdict rests on disturbed runs: more than " +
        fixed_text(compare::most_disturbed_share * 100.0, 0) +
        " % of the group's records, or of the base's, carried an interference or steadiness warning, "
        "so nothing vouches for it; run again with the machine otherwise idle");
  }
  return lines;
}

} // namespace

Tables comparison_tables(const compare::Comparison &comparison) {
  Tables tables;
  tables.groups.columns = {{"group"},
                           {"records", Align::right},
                           {"steady", Align::right},
                           {interval_heading(), Align::right},
                           {"rate", Align::right},
                           {"sustain", Align::right},
                           {"warned", Align::right},
                           {"change", Align::right},
                           {"p", Align::right},
                           {"verdict"}};
  for (const GroupResult &group : comparison.groups) {
    tables.groups.rows.push_back(group_row(group));
  }
  // A fleet's groups are its hosts, which their strata judge: notes on each
  // host against the first would only bury the verdicts.
  if (!comparison.settings.fleet) {
    add_group_notes(comparison.groups, tables.notes);
  } else {
    tables.hosts = hosts_table(comparison.hosts);
    add_stratum_notes(comparison.strata, tables.notes);
    tables.slow_hosts = comparison.slow_hosts;
    tables.slow_hosts_apart = comparison.slow_hosts_apart;
  }
  tables.legend = legend(comparison);
  for (const compare::ExcludedRecord &record : comparison.excluded) {
    tables.excluded.push_back(record.source + ": " + record.reason);
  }
  return tables;
}

} // namespace compare_output
