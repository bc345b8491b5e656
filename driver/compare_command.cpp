#include "driver/compare_command.h"

#include "compare/compare_runs.h"
#include "compare_output/csv_output.h"
#include "compare_output/html_page.h"
#include "compare_output/json_output.h"
#include "compare_output/markdown_output.h"
#include "compare_output/tables.h"
#include "compare_output/text_output.h"
#include "driver/console.h"
#include "driver/exit_status.h"
#include "platform/terminal.h"
#include "record/record_file.h"
#include "record/record_sources.h"
#include "report/formatted.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace driver {
namespace {

struct Gathered {
  std::vector<compare::Entry> entries{};
  std::vector<compare::ExcludedRecord> excluded{};
  bool unreadable = false; // an input could not be read, or held something that is not a record
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
      write_error("megawhets: " + source + ": " + report::printable(std::string(read.message)) + "\n");
    }
  });
  return gathered;
}

std::string names_of(const std::vector<std::string> &names) {
  std::string text;
  for (const std::string &name : names) {
    text += (text.empty() ? "'" : ", '") + report::printable(name) + "'";
  }
  return text.empty() ? "none" : text;
}

// Colour only for a person at a terminal who has not asked for none.
bool colour_wanted() { return platform::is_terminal(stdout) && std::getenv("NO_COLOR") == nullptr; }

std::string formatted_output(const compare::Comparison &comparison, const compare_output::Tables &tables,
                             CompareFormat format) {
  const bool fleet = comparison.settings.fleet;
  switch (format) {
  case CompareFormat::table:
    return compare_output::text_output(tables, fleet, colour_wanted());
  case CompareFormat::markdown:
    return compare_output::markdown_output(tables, fleet);
  case CompareFormat::csv:
    return compare_output::csv_output(comparison);
  case CompareFormat::json:
    return compare_output::json_output(comparison);
  }
  return {};
}

// Whether --strict fails the comparison: a host apart from its peers, or a
// group whose change is both real and large enough to matter.
bool strict_failure(const compare::Comparison &comparison) {
  for (const compare::HostResult &host : comparison.hosts) {
    if (host.verdict == compare::FleetVerdict::slow || host.verdict == compare::FleetVerdict::fast) {
      return true;
    }
  }
  for (const compare::GroupResult &group : comparison.groups) {
    if (group.significant && group.change_percent &&
        std::fabs(*group.change_percent) >= comparison.settings.threshold_percent) {
      return true;
    }
  }
  return false;
}

// The page goes into a new file beside its name, which it takes only once
// it is whole, as the run's record does.
bool write_page(const std::string &path, const compare::Comparison &comparison,
                const compare_output::Tables &tables) {
  record::RecordFile page(path, "the page");
  if (!page.ready() || !page.commit(compare_output::html_page(comparison, tables))) {
    write_error(page.failure());
    return false;
  }
  return true;
}

} // namespace

int compare_command(const CompareOptions &options) {
  Gathered input = gathered(options.records);
  const std::vector<std::string> names = compare::group_names(input.entries, options.settings);
  const auto comparison =
      compare::compare_runs(std::move(input.entries), std::move(input.excluded), options.settings, options.base);
  if (!comparison) {
    write_error("megawhets: option '--base " + report::printable(options.base) +
                "' names no group; the groups are " + names_of(names) + "\n");
    return bad_usage;
  }
  const compare_output::Tables tables = compare_output::comparison_tables(*comparison);
  if (!write_to_standard_output(formatted_output(*comparison, tables, options.format), "the comparison") ||
      (!options.html_path.empty() && !write_page(options.html_path, *comparison, tables))) {
    return run_failed;
  }
  if (input.unreadable) {
    return run_failed;
  }
  return options.strict && strict_failure(*comparison) ? warned_under_strict : completed;
}

} // namespace driver
