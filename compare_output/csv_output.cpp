#include "compare_output/csv_output.h"

#include "compare_output/verdicts.h"
#include "report/formatted.h"

#include <cmath>
#include <optional>

namespace compare_output {
namespace {

std::string field(const std::string &text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    return text;
  }
  std::string quoted = "\"";
  for (const char c : text) {
    quoted += c == '"' ? "\"\"" : std::string(1, c);
  }
  return quoted + "\"";
}

// Ten significant digits: more than any rate's noise, and short to read.
std::string number(double value) { return std::isfinite(value) ? report::formatted("%.10g", value) : ""; }
std::string number(std::optional<double> value) { return value ? number(*value) : ""; }
std::string flag(bool value) { return value ? "true" : "false"; }

std::string line(const std::vector<std::string> &cells) {
  std::string text;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    text += (i == 0 ? "" : ",") + field(cells[i]);
  }
  return text + "\r\n";
}

std::string groups_csv(const std::vector<compare::GroupResult> &groups) {
  std::string text = line({"group", "base", "records", "steady_median", "steady_low", "steady_high",
                           "low_high_is_range", "steady_min", "steady_max", "rate_median", "sustain_median",
                           "warned", "change_percent", "p_value", "enough_records", "significant", "verdict"});
  for (const compare::GroupResult &group : groups) {
    const compare::Spread &steady = group.steady;
    text += line({group.name, flag(group.base), std::to_string(group.records.size()), number(steady.median),
                  number(steady.low), number(steady.high), flag(steady.low_high_is_range), number(steady.min),
                  number(steady.max), number(group.rate_median), number(group.sustain_median),
                  std::to_string(group.warned), number(group.change_percent), number(group.p_value),
                  flag(group.enough_records), flag(group.significant), group_verdict(group)});
  }
  return text;
}

std::string hosts_csv(const std::vector<compare::HostResult> &hosts) {
  std::string text = line({"host", "stratum", "records", "steady", "stratum_median", "deficit_percent",
                           "modified_z", "verdict", "lowest_processor_share", "sustain", "warnings"});
  for (const compare::HostResult &host : hosts) {
    text += line({host.host, host.stratum, std::to_string(host.records), number(host.steady),
                  number(host.stratum_median), number(host.deficit_percent), number(host.modified_z),
                  host_verdict(host.verdict), number(host.lowest_processor_share), number(host.sustain),
                  std::to_string(host.warnings)});
  }
  return text;
}

} // namespace

std::string csv_output(const compare::Comparison &comparison) {
  return comparison.settings.fleet ? hosts_csv(comparison.hosts) : groups_csv(comparison.groups);
}

} // namespace compare_output
