// A stand-in for `megawhets compare`, for the page's tests until the command
// itself is built: it reads records, groups and judges them with the
// statistics in compare/, and writes what the command will: the comparison
// as JSON on standard output (--format json) and the page (--html FILE).
// Its grouping and tables are rough; the page and its checks are the point.
//
//     sample_comparison [--fleet] [--format json] [--html FILE] RECORD...
#include "compare/comparison.h"
#include "compare/fleet_judgement.h"
#include "compare/group_comparison.h"
#include "compare/median.h"
#include "compare/median_interval.h"
#include "compare_output/html_page.h"
#include "compare_output/number_text.h"
#include "compare_output/standing.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using nlohmann::ordered_json;

struct Run {
  std::string source;
  std::vector<std::string> keys; // label, host, processor, build, copies
  compare::RecordPoint point;
};

double steady_of(const ordered_json &pass) {
  if (pass.at("copies").empty()) {
    return pass.at("groups").at("fastest_megawhets_per_second").get<double>();
  }
  double sum = 0.0;
  for (const ordered_json &copy : pass.at("copies")) {
    sum += copy.at("groups").at("fastest_megawhets_per_second").get<double>();
  }
  return sum;
}

std::string copies_of(const ordered_json &record) {
  return record.at("copies").is_null() ? "1 process"
                                       : std::to_string(record.at("copies").at("count").get<int>()) + " copies";
}

void read_record(const ordered_json &record, const std::string &source, std::vector<Run> &runs,
                 compare::Comparison &comparison) {
  if (!record.at("self_check").at("passed").get<bool>()) {
    comparison.excluded.push_back({source, "its self-check failed"});
    return;
  }
  const ordered_json &second = record.at("passes").at(1);
  const ordered_json &build = record.at("build");
  Run run{.source = source,
          .keys = {record.value("label", ordered_json()).is_string() ? record.at("label").get<std::string>() : "",
                   record.at("machine").value("host_name", ""),
                   record.at("machine").at("processor_model").is_string()
                       ? record.at("machine").at("processor_model").get<std::string>()
                       : "",
                   build.at("compiler").get<std::string>() + " " + build.at("compiler_version").get<std::string>() +
                       " " + build.at("flags").get<std::string>() + " " + build.at("architecture").get<std::string>(),
                   copies_of(record)},
          .point = {}};
  run.point = {.source = source,
               .steady = steady_of(second),
               .rate = second.at("megawhets_per_second").get<double>(),
               .warned = !record.at("warnings").empty()};
  run.point.sustain = run.point.rate / run.point.steady;
  runs.push_back(run);
}

void read_file(const std::filesystem::path &path, std::vector<Run> &runs, compare::Comparison &comparison) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  std::istringstream in(text.str());
  for (int number = 1; (in >> std::ws) && in.peek() != EOF; ++number) {
    const std::string source = path.filename().string() + ", record " + std::to_string(number);
    try {
      ordered_json record;
      in >> record;
      read_record(record, source, runs, comparison);
    } catch (const std::exception &error) {
      comparison.excluded.push_back({source, error.what()});
      return;
    }
  }
}

std::vector<double> steadies(const std::vector<const Run *> &runs) {
  std::vector<double> values;
  for (const Run *run : runs) {
    values.push_back(run->point.steady);
  }
  return values;
}

compare::Spread spread_of(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  compare::Spread spread{.median = compare::median(values), .min = values.front(), .max = values.back()};
  if (const auto interval = compare::median_interval(values)) {
    spread.low = interval->low, spread.high = interval->high;
  } else {
    spread.low = spread.min, spread.high = spread.max, spread.low_high_is_range = true;
  }
  return spread;
}

void group_runs(const std::vector<Run> &runs, compare::Comparison &comparison) {
  std::vector<std::size_t> differing;
  for (std::size_t key = 0; key < 5; ++key) {
    if (std::any_of(runs.begin(), runs.end(), [&](const Run &run) { return run.keys[key] != runs[0].keys[key]; })) {
      differing.push_back(key);
      comparison.settings.keys.push_back(static_cast<compare::Key>(key));
    }
  }
  std::vector<std::string> order;
  std::map<std::string, std::vector<const Run *>> members;
  for (const Run &run : runs) {
    std::string name;
    for (const std::size_t key : differing) {
      name += (name.empty() ? "" : ", ") + run.keys[key];
    }
    if (!members.count(name)) {
      order.push_back(name);
    }
    members[name].push_back(&run);
  }
  const std::vector<double> base = order.empty() ? std::vector<double>{} : steadies(members[order[0]]);
  for (const std::string &name : order) {
    compare::GroupResult group{.name = name, .base = comparison.groups.empty()};
    for (const Run *run : members[name]) {
      group.records.push_back(run->point);
      group.warned += run->point.warned ? 1 : 0;
    }
    group.steady = spread_of(steadies(members[name]));
    if (!group.base) {
      const std::vector<double> values = steadies(members[name]);
      const compare::GroupComparison against = compare::compare_with_base(base, values);
      group.change_percent = against.change_percent;
      group.p_value = against.test.p_value;
      group.enough_records = against.enough_records;
      group.significant = against.significant;
      group.records_needed = against.records_needed;
    } else {
      group.enough_records = true;
    }
    comparison.groups.push_back(group);
  }
}

void judge_hosts(const std::vector<Run> &runs, compare::Comparison &comparison) {
  std::map<std::string, std::map<std::string, std::vector<const Run *>>> strata;
  for (const Run &run : runs) {
    strata[run.keys[2] + " \u00b7 " + run.keys[3] + " \u00b7 " + run.keys[4]][run.keys[1]].push_back(&run);
  }
  for (const auto &[stratum, hosts] : strata) {
    std::vector<double> rates;
    for (const auto &[host, host_runs] : hosts) {
      rates.push_back(compare::median(steadies(host_runs)));
    }
    const compare::StratumJudgement judged =
        compare::judge_stratum(rates, comparison.settings.slow_percent / 100.0);
    std::size_t k = 0;
    for (const auto &[host, host_runs] : hosts) {
      const compare::HostJudgement &judgement = judged.hosts[k];
      compare::HostResult result{.host = host,
                                 .stratum = stratum,
                                 .records = host_runs.size(),
                                 .steady = rates[k],
                                 .stratum_median = judged.median,
                                 .modified_z = judgement.z,
                                 .verdict = judgement.verdict,
                                 .unjudged_because = judged.unjudged_because};
      if (std::isfinite(judgement.deficit)) {
        result.deficit_percent = judgement.deficit * 100.0;
      }
      for (const Run *run : host_runs) {
        result.warnings += run->point.warned ? 1 : 0;
      }
      comparison.hosts.push_back(result);
      if (result.verdict == compare::FleetVerdict::slow) {
        comparison.slow_hosts.push_back(host);
      }
      ++k;
    }
  }
}

compare_output::Tables tables_of(const compare::Comparison &comparison) {
  using compare_output::rate_text;
  compare_output::Tables tables;
  tables.groups.header = {"group", "records", "median", "95 % interval", "against the base"};
  tables.groups.numeric = {false, true, true, true, false};
  for (const compare::GroupResult &group : comparison.groups) {
    tables.groups.rows.push_back({group.name, std::to_string(group.records.size()), rate_text(group.steady.median),
                                  rate_text(group.steady.low) + " to " + rate_text(group.steady.high),
                                  compare_output::group_standing(group).words});
  }
  if (comparison.settings.fleet) {
    tables.hosts.header = {"host", "stratum", "records", "steady", "M", "verdict"};
    tables.hosts.numeric = {false, false, true, true, true, false};
    for (const compare::HostResult &host : comparison.hosts) {
      tables.hosts.rows.push_back({host.host, host.stratum, std::to_string(host.records), rate_text(host.steady),
                                   rate_text(host.stratum_median),
                                   compare_output::host_standing(host.verdict).words});
    }
  }
  tables.legend = {"median: the median steady rate of the group's records, in megaWhets/second"};
  for (const compare::ExcludedRecord &excluded : comparison.excluded) {
    tables.excluded.push_back(excluded.source + ": " + excluded.reason);
  }
  return tables;
}

const char *verdict_name(compare::FleetVerdict verdict) {
  return compare_output::host_standing(verdict).css_class.data();
}

ordered_json comparison_json(const compare::Comparison &comparison) {
  ordered_json out{{"settings", {{"fleet", comparison.settings.fleet}, {"slow_percent", comparison.settings.slow_percent}}},
                   {"groups", ordered_json::array()},
                   {"hosts", ordered_json::array()},
                   {"excluded", ordered_json::array()},
                   {"slow_hosts", comparison.slow_hosts}};
  for (const compare::GroupResult &group : comparison.groups) {
    ordered_json records = ordered_json::array();
    for (const compare::RecordPoint &record : group.records) {
      records.push_back({{"source", record.source}, {"steady", record.steady}, {"warned", record.warned}});
    }
    out["groups"].push_back({{"name", group.name},
                             {"base", group.base},
                             {"records", records},
                             {"steady",
                              {{"median", group.steady.median},
                               {"low", group.steady.low},
                               {"high", group.steady.high},
                               {"low_high_is_range", group.steady.low_high_is_range}}},
                             {"enough_records", group.enough_records},
                             {"significant", group.significant},
                             {"change_percent", group.change_percent ? ordered_json(*group.change_percent)
                                                                     : ordered_json()}});
  }
  for (const compare::HostResult &host : comparison.hosts) {
    out["hosts"].push_back({{"host", host.host},
                            {"stratum", host.stratum},
                            {"steady", host.steady},
                            {"stratum_median", host.stratum_median},
                            {"verdict", verdict_name(host.verdict)}});
  }
  for (const compare::ExcludedRecord &excluded : comparison.excluded) {
    out["excluded"].push_back({{"source", excluded.source}, {"reason", excluded.reason}});
  }
  return out;
}

} // namespace

int main(int argc, char **argv) {
  compare::Comparison comparison;
  std::string html_file;
  bool json = false;
  std::vector<Run> runs;
  for (int k = 1; k < argc; ++k) {
    const std::string argument = argv[k];
    if (argument == "--fleet") {
      comparison.settings.fleet = true;
    } else if (argument == "--format" && k + 1 < argc) {
      json = std::string(argv[++k]) == "json";
    } else if (argument == "--html" && k + 1 < argc) {
      html_file = argv[++k];
    } else if (std::filesystem::is_directory(argument)) {
      std::vector<std::filesystem::path> files;
      for (const auto &entry : std::filesystem::directory_iterator(argument)) {
        if (entry.path().extension() == ".json") {
          files.push_back(entry.path());
        }
      }
      std::sort(files.begin(), files.end());
      for (const auto &file : files) {
        read_file(file, runs, comparison);
      }
    } else {
      read_file(argument, runs, comparison);
    }
  }
  group_runs(runs, comparison);
  if (comparison.settings.fleet) {
    judge_hosts(runs, comparison);
  }
  if (!html_file.empty()) {
    std::ofstream(html_file, std::ios::binary) << compare_output::html_page(comparison, tables_of(comparison));
  }
  if (json) {
    std::cout << comparison_json(comparison).dump(2, ' ', false, ordered_json::error_handler_t::replace) << '\n';
  }
  return 0;
}
