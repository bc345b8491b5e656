#include "driver/compare_command.h"

#include "compare/compare_runs.h"
#include "compare_output/csv_output.h"
#include "compare_output/html_page.h"
#include "compare_output/json_output.h"
#include "compare_output/tables.h"
#include "driver/console.h"
#include "driver/exit_status.h"
#include "driver/output_choice.h"
#include "driver/output_file.h"
#include "output/markdown_document.h"
#include "output/text_document.h"
#include "platform/terminal.h"
#include "record/record_sources.h"
#include "text/printable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace driver {
namespace {

struct Gathered {
  std::vector<compare::Entry> entries{};
  std::vector<compare::ExcludedRecord> excluded{};
  bool unreadable = false;             // an input could not be read, or held something that is not a record
  std::vector<std::string> reported{}; // the sources already reported on standard error
};

// Every record the arguments lead to, kept as it is read; what is not a
// record is said on standard error as well as listed, since it makes the
// comparison fail.
Gathered gathered(const std::vector<std::string> &arguments) {
  Gathered gathered;
  record::read_sources(arguments, [&](const record::TextRead &read) {
    if (read.run != nullptr) {
      gathered.entries.push_back({read.source, *read.run});
      return;
    }
    const std::string source = record::source_name(read.source);
    gathered.excluded.push_back({source, std::string(read.message)});
    if (record::spoils_comparison(read.problem)) {
      gathered.unreadable = true;
      write_error("megawhets: " + text::printable(source) + ": " + text::printable(read.message) + "\n");
      gathered.reported.push_back(source);
    }
  });
  return gathered;
}

std::string names_of(const std::vector<std::string> &names) {
  std::string text;
  for (const std::string &name : names) {
    text += (text.empty() ? "'" : ", '") + text::printable(name) + "'";
  }
  return text.empty() ? "none" : text;
}

// Colour only for a person at a terminal who has not asked for none.
bool colour_wanted() { return platform::is_terminal(stdout) && std::getenv("NO_COLOR") == nullptr; }

std::string formatted_output(const compare::Comparison &comparison, const compare_output::Tables &tables,
                             OutputFormat format) {
  const bool fleet = comparison.settings.fleet;
  switch (format) {
  case OutputFormat::table:
    return output::text_document(compare_output::comparison_document(tables, fleet), colour_wanted());
  case OutputFormat::markdown:
    return output::markdown_document(compare_output::comparison_document(tables, fleet));
  case OutputFormat::csv:
    return compare_output::csv_output(comparison);
  case OutputFormat::json:
    return compare_output::json_output(comparison);
  }
  return {};
}

// Whether --strict fails the comparison: a host apart from its peers, a
// group whose change is both real and large enough to matter, or a verdict
// that rests on disturbed runs, which nothing vouches for.
bool strict_failure(const compare::Comparison &comparison) {
  for (const compare::HostResult &host : comparison.hosts) {
    if (host.verdict == compare::Verdict::slow || host.verdict == compare::Verdict::fast) {
      return true;
    }
  }
  for (const compare::GroupResult &group : comparison.groups) {
    if (!group.base && group.rests_on_disturbed_runs) {
      return true;
    }
    if (group.significant && group.shift_percent &&
        std::fabs(*group.shift_percent) >= comparison.settings.threshold_percent) {
      return true;
    }
  }
  return false;
}

// The page goes into a new file beside its name, which it takes only once
// it is whole, as the run's record does.
bool write_page(const std::string &path, const compare::Comparison &comparison,
                const compare_output::Tables &tables) {
  OutputFile page(path, "the page");
  if (!page.ready() || !page.commit(compare_output::html_page(comparison, tables))) {
    write_error(page.failure());
    return false;
  }
  return true;
}

// Whether the page is one of the *.json files of a RECORD directory, by
// another name.
bool names_a_record_in(const std::filesystem::path &page, const std::filesystem::path &directory) {
  std::error_code error;
  for (std::filesystem::directory_iterator entry(directory, error), end; !error && entry != end;
       entry.increment(error)) {
    std::error_code same_error;
    if (entry->path().filename().string().ends_with(".json") &&
        std::filesystem::equivalent(page, entry->path(), same_error)) {
      return true;
    }
  }
  return false;
}

// The page would be put among the records of a RECORD directory, as a *.json
// file the next comparison of that directory would read. (The page over a
// record itself is output_clash's to find.) Said before anything is read.
std::string page_over_a_record(const CompareOptions &options) {
  namespace fs = std::filesystem;
  const std::string &html_path = options.outputs.html_path;
  if (!goes_to_a_file(html_path)) {
    return {};
  }
  const fs::path page(html_path);
  const fs::path folder = page.has_parent_path() ? page.parent_path() : fs::path(".");
  const std::string option = "megawhets: option '--html " + text::printable(html_path) + "' ";
  for (const std::string &record : options.records) {
    std::error_code error;
    if (record == "-") {
      continue;
    }
    if (fs::is_directory(record, error) &&
        ((page.filename().string().ends_with(".json") && fs::equivalent(folder, record, error)) ||
         names_a_record_in(page, record))) {
      return option + "would put the page among the records of directory '" + text::printable(record) +
             "', whose every *.json is read as records; give it another "
             "name or place\n";
    }
  }
  return {};
}

// Slow hosts whose names no host has stay off the line that scripts take as
// it is, and are said on standard error, where a script's log keeps them.
void warn_of_slow_hosts_apart(const compare::Comparison &comparison) {
  for (const std::string &host : comparison.slow_hosts_apart) {
    write_error("megawhets: warning: slow host '" + text::printable(host) +
                "' is kept off the line of slow hosts: its name holds what no host name does\n");
  }
}

// With nothing to compare there is no table to print: only why, with the
// records that were left out and not yet reported.
int nothing_to_compare(const compare::Comparison &comparison, const std::vector<std::string> &reported) {
  for (const compare::ExcludedRecord &record : comparison.excluded) {
    if (std::find(reported.begin(), reported.end(), record.source) == reported.end()) {
      write_error("megawhets: " + text::printable(record.source) + ": " + text::printable(record.reason) +
                  "\n");
    }
  }
  write_error("megawhets: no records to compare\n");
  return run_failed;
}

} // namespace

int compare_command(const CompareOptions &options) {
  std::vector<NamedInput> inputs;
  for (const std::string &record : options.records) {
    inputs.push_back({record, "one of the records to compare"});
  }
  const std::string refused = refused_outputs(options.outputs, inputs, {}, page_over_a_record(options));
  if (!refused.empty()) {
    write_error(refused);
    return bad_usage;
  }
  Gathered input = gathered(options.records);
  const compare::Compared compared = compare::compare_runs(
      std::move(input.entries), std::move(input.excluded), options.settings, options.base);
  const std::optional<compare::Comparison> &comparison = compared.comparison;
  if (!comparison) {
    write_error("megawhets: option '--base " + text::printable(options.base) +
                "' names no group; the groups are " + names_of(compared.group_names) + "\n");
    return bad_usage;
  }
  if (comparison->groups.empty()) {
    return nothing_to_compare(*comparison, input.reported);
  }
  warn_of_slow_hosts_apart(*comparison);
  const compare_output::Tables tables = compare_output::comparison_tables(*comparison);
  const OutputChoice &outputs = options.outputs;
  if (outputs.html_path == "-") {
    if (!write_to_standard_output(compare_output::html_page(*comparison, tables), "the page")) {
      return run_failed;
    }
  } else if (!write_to_standard_output(formatted_output(*comparison, tables, outputs.format),
                                       "the comparison") ||
             (!outputs.html_path.empty() && !write_page(outputs.html_path, *comparison, tables))) {
    return run_failed;
  }
  if (input.unreadable) {
    return run_failed;
  }
  return options.strict && strict_failure(*comparison) ? warned_under_strict : completed;
}

} // namespace driver
