#include "driver/history_arguments.h"

#include "compare/keys.h"
#include "driver/help_text.h"
#include "driver/option_reading.h"
#include "history/run_time.h"
#include "text/printable.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace driver {
namespace {

using Rule = OptionRule<HistoryOptions>;

// In the order every key is named in, whatever order they were given in.
std::optional<std::vector<compare::Key>> keys_in(std::string_view text) {
  const auto keys = keys_named(text);
  if (!keys) {
    return std::nullopt;
  }
  std::vector<compare::Key> ordered;
  for (const compare::Key key : compare::all_keys) {
    if (std::find(keys->begin(), keys->end(), key) != keys->end()) {
      ordered.push_back(key);
    }
  }
  return ordered;
}

std::string take_host(const OptionValue &given, HistoryOptions &options) {
  options.filter.host = given.value;
  return missing_value_problem(given, "--host", "a host's name");
}

std::string take_label(const OptionValue &given, HistoryOptions &options) {
  options.filter.label = given.value;
  return missing_value_problem(given, "--label", "a label");
}

std::string take_since(const OptionValue &given, HistoryOptions &options) {
  return read_into(options.filter.since, given, history::since_bound(given.value),
                   "needs a date or a time in UTC, such as 2026-03-01 or 2026-03-01T00:00:00Z");
}

std::string take_until(const OptionValue &given, HistoryOptions &options) {
  return read_into(options.filter.until, given, history::until_bound(given.value),
                   "needs a date or a time in UTC, such as 2026-03-31 or 2026-03-31T23:59:59Z");
}

std::string take_by(const OptionValue &given, HistoryOptions &options) {
  return read_into(options.settings.keys, given, keys_in(given.value),
                   "needs keys among label, host, processor, build and copies, separated by commas, such as "
                   "--by=host,label");
}

std::string take_min_change(const OptionValue &given, HistoryOptions &options) {
  const auto value = plain_decimal(given.value);
  return read_into(options.settings.trend.min_change_percent, given,
                   value && *value <= 100.0 ? value : std::nullopt,
                   "needs a percentage from 0 to 100, such as --min-change=2");
}

// A whole number of days in plain decimal, up to a century.
std::optional<long> days_in(std::string_view text) {
  const auto value = plain_decimal(text);
  if (!value || *value != static_cast<double>(static_cast<long>(*value)) || *value > 36500.0) {
    return std::nullopt;
  }
  return static_cast<long>(*value);
}

std::string take_recent(const OptionValue &given, HistoryOptions &options) {
  return read_into(options.settings.recent_days, given, days_in(given.value),
                   "needs a whole number of days up to 36500, such as --recent=7");
}

std::string take_slow(const OptionValue &given, HistoryOptions &options) {
  return read_into(options.settings.slow_percent, given, open_percentage(given.value),
                   open_percentage_needed);
}

std::string take_fleet(const OptionValue &, HistoryOptions &options) {
  options.settings.fleet = true;
  return {};
}

// The options that choose runs, which export takes too.
constexpr Rule host_option{"--host", Takes::value, take_host};
constexpr Rule label_option{"--label", Takes::value, take_label};
constexpr Rule since_option{"--since", Takes::value, take_since};
constexpr Rule until_option{"--until", Takes::value, take_until};
constexpr std::array<Rule, 4> filter_options = {host_option, label_option, since_option, until_option};

constexpr std::array<Rule, 13> trend_options = {{
    host_option,
    label_option,
    since_option,
    until_option,
    {"--by", Takes::value, take_by},
    {"--min-change", Takes::value, take_min_change},
    {"--fleet", Takes::nothing, take_fleet},
    {"--recent", Takes::value, take_recent},
    {"--slow", Takes::value, take_slow},
    strict_option<HistoryOptions>,
    format_option<HistoryOptions>,
    html_option<HistoryOptions>,
    force_option<HistoryOptions>,
}};

std::string unknown_for_trends(std::string_view argument) {
  return unknown_option_problem(argument, option_names(trend_options), " for history");
}

std::string unknown_for_add(std::string_view argument) {
  return "unknown option " + text::quoted(argument) + " for history add, which takes a DB and RECORDs";
}

std::string unknown_for_export(std::string_view argument) {
  return "unknown option " + text::quoted(argument) +
         " for history export, which takes --host, --label, --since and --until";
}

// add's first argument is its DB, and the rest are RECORDs.
std::string take_database_or_record(std::string_view argument, HistoryOptions &options) {
  (options.database.empty() ? options.database : options.records.emplace_back()) = argument;
  return {};
}

std::string take_database(std::string_view argument, HistoryOptions &options, std::string_view command) {
  if (!options.database.empty()) {
    return "unexpected argument " + text::quoted(argument) + ": " + std::string(command) + " reads one DB";
  }
  options.database = argument;
  return {};
}

std::string take_trends_database(std::string_view argument, HistoryOptions &options) {
  return take_database(argument, options, "history");
}

std::string take_export_database(std::string_view argument, HistoryOptions &options) {
  return take_database(argument, options, "history export");
}

// A command line read to its end is still refused for want of its
// operands; the help, or a line already refused, is left as it is.
void refuse_if_missing(HistoryCommandLine &line, bool missing, std::string_view problem) {
  if (!line.help && line.problem.empty() && missing) {
    line.problem = problem;
  }
}

HistoryCommandLine read_add(int argc, const char *const *argv) {
  const Grammar<HistoryOptions> grammar{{}, take_database_or_record, unknown_for_add};
  HistoryCommandLine line =
      read_arguments(grammar, 2, argc, argv, HistoryOptions{.action = HistoryAction::add});
  refuse_if_missing(line, line.options.database.empty() || line.options.records.empty(),
                    "history add needs a DB and at least one RECORD: a file of records, a directory of them, "
                    "or - for standard input");
  return line;
}

HistoryCommandLine read_export(int argc, const char *const *argv) {
  const Grammar<HistoryOptions> grammar{filter_options, take_export_database, unknown_for_export, false};
  HistoryCommandLine line =
      read_arguments(grammar, 2, argc, argv, HistoryOptions{.action = HistoryAction::export_records});
  refuse_if_missing(line, line.options.database.empty(), "history export needs a DB");
  return line;
}

} // namespace

HistoryCommandLine read_history_command_line(int argc, const char *const *argv) {
  if (argc > 1 && std::string_view(argv[1]) == "add") {
    return read_add(argc, argv);
  }
  if (argc > 1 && std::string_view(argv[1]) == "export") {
    return read_export(argc, argv);
  }
  const Grammar<HistoryOptions> grammar{trend_options, take_trends_database, unknown_for_trends, false};
  HistoryCommandLine line = read_arguments(grammar, 1, argc, argv);
  refuse_if_missing(
      line, line.options.database.empty(),
      "history needs a DB: the file that megawhets --db and megawhets history add keep records in");
  return line;
}

std::string history_usage() {
  return fitted_help(
      "Usage: megawhets history [OPTIONS] DB\n"
      "       megawhets history add DB RECORD...\n"
      "       megawhets history export DB [--host NAME] [--label TEXT] [--since WHEN] [--until WHEN]\n"
      "Keep the records that megawhets --json writes in one SQLite file, and find where each host's speed\n"
      "changed, and which hosts of a fleet have become slow.\n"
      "\n"
      "add stores RECORDs (files of records, directories of them, or - for standard input) in DB, made if\n"
      "missing, each once however often it is given, in one transaction. megawhets --db DB stores a run's\n"
      "record as it ends. export writes the stored records as --json wrote them, byte for byte.\n"
      "\n"
      "Without add or export, each series (one host's runs with one processor, build, copies and label) is\n"
      "shown with the changes found in its steady figures, by E-divisive means with a permutation test.\n"
      "\n"
      "  --host NAME       only this host's runs\n"
      "  --label TEXT      only runs with this label\n"
      "  --since WHEN      only runs started at or after WHEN: 2026-03-01 or 2026-03-01T00:00:00Z\n"
      "  --until WHEN      only runs started on or before WHEN\n"
      "  --by KEY[,KEY]    make a series of the runs alike in these keys only: label, host,\n"
      "                    processor, build, copies (default: all of them)\n"
      "  --min-change PCT  the least change between two levels that counts (default 2)\n"
      "  --fleet           judge each series' latest level against its stratum (the same\n"
      "                    processor, build and copies), and say once a change that many\n"
      "                    hosts of a stratum made at the same time\n"
      "  --recent DAYS     a change this close to the newest run is recent (default 30)\n"
      "  --slow PCT        with --fleet, how far below its stratum's median a latest level\n"
      "                    that stands apart must be to be slow (default 5)\n"
      "  --strict          exit with status 4 when a series changed recently or, with --fleet,\n"
      "                    is slow\n"
      "  --format FORMAT   table (default), md, csv or json\n"
      "  --html FILE       also write the trends as one self-contained page\n"
      "  --force           write an output even over a file of run records, a history or a program\n"
      "  --help            show this help and exit\n"
      "\n"
      "Exit status: 0 when done; 1 when DB is not a megawhets history (or is damaged, or from a newer\n"
      "megawhets), a RECORD could not be read or held something that is not a record (the others are\n"
      "still stored), or the output could not be written; 2 for bad usage, and in a build without the\n"
      "history store; 4 with --strict, as above.\n"
      "\n"
      "See megawhets(1).\n");
}

} // namespace driver
