// A stand-in for `megawhets compare` until the program dispatches to it:
// it reads records roughly (nlohmann, no checks), and then does what the
// command does, with the command's own parts: compare_runs, the tables, the
// JSON output and the page.
//
//     sample_comparison [--fleet] [--format json] [--html FILE] RECORD...
#include "compare/compare_runs.h"
#include "compare_output/html_page.h"
#include "compare_output/json_output.h"
#include "compare_output/tables.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

using nlohmann::json;

std::string text_or_empty(const json &value) { return value.is_string() ? value.get<std::string>() : ""; }

// Pass 2's fastest group; for a run in copies, the sum of the copies'.
double steady_of(const json &pass) {
  if (pass.at("copies").empty()) {
    return pass.at("groups").at("fastest_megawhets_per_second").get<double>();
  }
  double sum = 0.0;
  for (const json &copy : pass.at("copies")) {
    sum += copy.at("groups").at("fastest_megawhets_per_second").get<double>();
  }
  return sum;
}

double lowest_share(const json &passes) {
  double lowest = std::numeric_limits<double>::quiet_NaN();
  const auto take = [&](const json &share) {
    if (share.is_number() && !(share.get<double>() >= lowest)) {
      lowest = share.get<double>();
    }
  };
  for (const json &pass : passes) {
    take(pass.at("processor_share"));
    for (const json &copy : pass.at("copies")) {
      take(copy.at("processor_share"));
    }
  }
  return lowest;
}

record::RecordedRun recorded_run(const json &record) {
  const json &machine = record.at("machine");
  const json &build = record.at("build");
  // A run whose self-check failed has no passes: the comparison leaves it out.
  const json &passes = record.at("passes");
  const double none = std::numeric_limits<double>::quiet_NaN();
  record::RecordedRun run{
      .program_version = record.at("program").at("version").get<std::string>(),
      .host_name = text_or_empty(machine.value("host_name", json())),
      .processor_model = text_or_empty(machine.at("processor_model")),
      .processors = machine.at("processors").is_number() ? machine.at("processors").get<unsigned>() : 0,
      .compiler = build.at("compiler").get<std::string>(),
      .compiler_version = build.at("compiler_version").get<std::string>(),
      .flags = build.at("flags").get<std::string>(),
      .architecture = build.at("architecture").get<std::string>(),
      .started_at = record.at("started_at").get<std::string>(),
      .copies = record.at("copies").is_null() ? 0 : record.at("copies").at("count").get<unsigned>(),
      .rate = passes.size() == 2 ? passes[1].at("megawhets_per_second").get<double>() : none,
      .steady = passes.size() == 2 ? steady_of(passes[1]) : none,
      .lowest_processor_share = lowest_share(passes),
      .self_check_passed = record.at("self_check").at("passed").get<bool>(),
      .exit_status = record.at("exit_status").get<int>()};
  if (record.value("label", json()).is_string()) {
    run.label = record.at("label").get<std::string>();
  }
  for (const json &warning : record.at("warnings")) {
    run.warning_kinds.push_back(warning.at("kind").get<std::string>());
  }
  return run;
}

void read_file(const std::filesystem::path &path, std::vector<compare::Entry> &entries,
               std::vector<compare::ExcludedRecord> &excluded) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  std::istringstream in(text.str());
  for (int number = 1; (in >> std::ws) && in.peek() != EOF; ++number) {
    const std::string source = path.filename().string() + ", record " + std::to_string(number);
    try {
      json record;
      in >> record;
      entries.push_back({source, recorded_run(record)});
    } catch (const std::exception &error) {
      excluded.push_back({source, error.what()});
      return;
    }
  }
}

void read_argument(const std::filesystem::path &argument, std::vector<compare::Entry> &entries,
                   std::vector<compare::ExcludedRecord> &excluded) {
  if (!std::filesystem::is_directory(argument)) {
    read_file(argument, entries, excluded);
    return;
  }
  std::vector<std::filesystem::path> files;
  for (const auto &entry : std::filesystem::directory_iterator(argument)) {
    if (entry.path().extension() == ".json") {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  for (const auto &file : files) {
    read_file(file, entries, excluded);
  }
}

} // namespace

int main(int argc, char **argv) {
  compare::Settings settings;
  std::string html_file;
  bool json_format = false;
  std::vector<compare::Entry> entries;
  std::vector<compare::ExcludedRecord> excluded;
  for (int k = 1; k < argc; ++k) {
    const std::string argument = argv[k];
    if (argument == "--fleet") {
      settings.fleet = true;
    } else if (argument == "--format" && k + 1 < argc) {
      json_format = std::string(argv[++k]) == "json";
    } else if (argument == "--html" && k + 1 < argc) {
      html_file = argv[++k];
    } else {
      read_argument(argument, entries, excluded);
    }
  }
  const std::optional<compare::Comparison> comparison = compare::compare_runs(entries, excluded, settings);
  if (!comparison) {
    std::cerr << "sample_comparison: nothing to compare\n";
    return 1;
  }
  if (!html_file.empty()) {
    std::ofstream(html_file, std::ios::binary)
        << compare_output::html_page(*comparison, compare_output::comparison_tables(*comparison));
  }
  if (json_format) {
    std::cout << compare_output::json_output(*comparison);
  }
  return 0;
}
