#include "compare_output/tables.h"

#include "compare/compare_runs.h"
#include "compare/fleet_judgement.h"
#include "output/number_text.h"
#include "output/verdict_style.h"
#include "statistics/records_needed.h"

#include <algorithm>
#include <cmath>

namespace compare_output {

using output::Align;
using output::Cell;
using output::count_cell;
using output::counted;
using output::disturbed_mark;
using output::Document;
using output::empty_cell;
using output::fixed_text;
using output::LastLine;
using output::number_cell;
using output::percent_text;
using output::probability_text;
using output::rate_text;
using output::setting_text;
using output::share_text;
using output::signed_text;
using output::Table;
using output::text_cell;
using output::verdict_cell;
using output::verdict_word;

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

// The shift's interval at the test's level, as the median's interval is
// shown: "+8.10 .. +12.00".
Cell shift_interval_cell(const GroupResult &group) {
  if (!group.shift_low_percent || !group.shift_high_percent) {
    return empty_cell();
  }
  return text_cell(signed_text(*group.shift_low_percent, 2) + " .. " +
                   signed_text(*group.shift_high_percent, 2));
}

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
          group.base ? empty_cell("") : optional_number(group.shift_percent, change_text),
          group.base ? empty_cell("") : shift_interval_cell(group),
          group.base ? empty_cell("") : optional_number(group.p_value, probability_text),
          verdict_cell(group.verdict, verdict_text(group))};
}

std::string records_needed_text(std::size_t needed) {
  return needed >= statistics::most_records_needed ? std::to_string(needed) + " or more"
                                                   : std::to_string(needed);
}

// The Hodges-Lehmann shift and its interval: "+10.00 % (+8.10 % to +12.00 %)".
std::string shift_words(const GroupResult &group) {
  std::string words = group.shift_percent ? percent_text(*group.shift_percent) : std::string("-");
  if (group.shift_low_percent && group.shift_high_percent) {
    words += " (" + percent_text(*group.shift_low_percent) + " to " +
             percent_text(*group.shift_high_percent) + ")";
  }
  return words;
}

// A significant verdict whose medians' change reads as none, or as the
// other way: the change shown is the shift, which the test judges, and a
// reader comparing the medians by eye is told why they disagree.
bool change_misleads(const GroupResult &group) {
  if (group.verdict != compare::Verdict::faster && group.verdict != compare::Verdict::slower) {
    return false;
  }
  const std::string change = group.change_percent ? percent_text(*group.change_percent) : std::string("-");
  const bool zero = change.find_first_of("123456789") == std::string::npos;
  const bool against = (group.verdict == compare::Verdict::faster) != (change.front() == '+');
  return zero || against;
}

std::string group_note(const GroupResult &group, const GroupResult &base, const compare::Settings &settings) {
  if (group.rests_on_disturbed_runs) {
    return "the verdict rests on disturbed runs: " + std::to_string(group.disturbed) + " of its " +
           std::to_string(group.records.size()) + " records and " + std::to_string(base.disturbed) +
           " of the base's " + std::to_string(base.records.size()) +
           " carried an interference or steadiness warning; run again with the machine otherwise idle.";
  }
  if (group.verdict == compare::Verdict::only_ties_differ) {
    return "the test finds a difference at " + setting_text(settings.alpha) +
           ", but only values that both groups share tell them apart, which holds the shift at 0: neither is "
           "faster.";
  }
  if (change_misleads(group)) {
    return "its median differs from the base's by " +
           (group.change_percent ? percent_text(*group.change_percent) : std::string("-")) +
           ", but its records lie " + shift_words(group) +
           " from the base's (the change shown, with its interval), which the test finds " +
           std::string(verdict_word(group.verdict)) + ".";
  }
  if (!group.records_needed) {
    return {};
  }
  const std::string sizes = std::to_string(group.records.size()) + " records against the base's " +
                            std::to_string(base.records.size());
  const std::string need =
      "a difference of " + (group.shift_percent ? percent_text(*group.shift_percent) : std::string("-")) +
      " would need about " + records_needed_text(*group.records_needed) + " records in each to be found";
  const std::string found =
      !group.enough_records ? "too few to judge: "
      : !group.could_be_significant
          ? "too few to tell at " + setting_text(settings.alpha) + ", whatever they held: "
          : "no significant change with ";
  return found + sizes + "; " + need + ".";
}

// What a group's figures cannot say on their own: that its verdict rests on
// disturbed runs, which a quiet machine would mend; that only ties tell it
// from the base; that its medians read otherwise than its test; too few
// records to judge; or how many a difference of the size seen would need to
// be found.
void add_group_notes(const std::vector<GroupResult> &groups, const compare::Settings &settings,
                     std::vector<std::string> &notes) {
  for (const GroupResult &group : groups) {
    if (!group.base) {
      if (const std::string note = group_note(group, groups.front(), settings); !note.empty()) {
        notes.push_back(group.name + ": " + note);
      }
    }
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
      "change: the Hodges-Lehmann shift, the median difference between a record of the group and one of the "
      "base, in percent of the base's median, with its " +
          setting_text((1.0 - settings.alpha) * 100.0) +
          " % interval; p: two-sided Mann-Whitney U test, which judges the same ranks, so the two agree; " +
          std::string(verdict_word(compare::Verdict::no_change)) + ": no significant change at " +
          setting_text(settings.alpha) + "; " + too_few + ": fewer than " +
          counted(statistics::least_records_per_group, "record", "records") + " on a side, never judged"};
  const auto any = [&](auto holds) {
    return std::any_of(comparison.groups.begin(), comparison.groups.end(), holds);
  };
  if (any([](const GroupResult &group) { return group.verdict == compare::Verdict::too_few_to_tell; })) {
    lines.push_back(std::string(verdict_word(compare::Verdict::too_few_to_tell)) +
                    ": no outcome of groups of these sizes could be significant at " +
                    setting_text(settings.alpha));
  }
  if (any([](const GroupResult &group) { return group.verdict == compare::Verdict::only_ties_differ; })) {
    lines.push_back(std::string(verdict_word(compare::Verdict::only_ties_differ)) +
                    ": significant, but only values both groups share tell them apart, so the shift is 0 and "
                    "neither is faster");
  }
  if (any([](const GroupResult &group) { return group.rests_on_disturbed_runs; })) {
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
                           {"change interval", Align::right},
                           {"p", Align::right},
                           {"verdict"}};
  for (const GroupResult &group : comparison.groups) {
    tables.groups.rows.push_back(group_row(group));
  }
  // A fleet's groups are its hosts, which their strata judge: notes on each
  // host against the first would only bury the verdicts.
  if (!comparison.settings.fleet) {
    add_group_notes(comparison.groups, comparison.settings, tables.notes);
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

Document comparison_document(const Tables &tables, bool fleet) {
  Document document{.table = fleet ? tables.hosts : tables.groups,
                    .lists = {{"Notes:", "Notes", tables.notes},
                              {"Legend:", "Legend", tables.legend},
                              {"Left out:", "Left out", tables.excluded}}};
  if (fleet) {
    document.lists.push_back({slow_hosts_apart_title, slow_hosts_apart_title, tables.slow_hosts_apart});
    document.last_line = LastLine{"Slow hosts, comma-separated:", "Slow hosts:", tables.slow_hosts};
  }
  return document;
}

} // namespace compare_output
