#include "driver/history_arguments.h"

#include "compare/keys.h"
#include "driver/help_text.h"
#include "driver/option_reading.h"
#include "driver/suggestion.h"
#include "history/run_time.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace driver {
namespace {

constexpr std::array<std::string_view, 14> known_options = {
    "--host",   "--label",  "--since",  "--until", "--by",  "--min-change", "--fleet",
    "--recent", "--slow",   "--strict", "--format", "--html", "--force", "--help"};

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

// The options that choose runs, which export takes too.
std::optional<std::string> take_filter(int argc, const char *const *argv, int &i,
                                       history::Filter &filter) {
  if (const auto host = option_value("--host", argc, argv, i)) {
    if (host->value.empty()) {
      return "option '--host' needs a host's name";
    }
    filter.host = host->value;
  } else if (const auto label = option_value("--label", argc, argv, i)) {
    if (label->value.empty()) {
      return "option '--label' needs a label";
    }
    filter.label = label->value;
  } else if (const auto since = option_value("--since", argc, argv, i)) {
    const auto bound = history::since_bound(since->value);
    if (!bound) {
      return "option " + quoted(since->as_given) + " needs a date or a time in UTC, such as 2026-03-01 or " +
             "2026-03-01T00:00:00Z";
    }
    filter.since = *bound;
  } else if (const auto until = option_value("--until", argc, argv, i)) {
    const auto bound = history::until_bound(until->value);
    if (!bound) {
      return "option " + quoted(until->as_given) + " needs a date or a time in UTC, such as 2026-03-31 or " +
             "2026-03-31T23:59:59Z";
    }
    filter.until = *bound;
  } else {
    return std::nullopt;
  }
  return std::string();
}

std::string unknown(std::string_view argument) {
  const auto meant = closest_option(argument, known_options);
  return "unknown option " + quoted(argument) +
         (meant ? " (did you mean " + std::string(*meant) + "?)" : " for history");
}

// One option of the trends at argv[i]; an empty result means it was taken.
std::string take_option(std::string_view argument, int argc, const char *const *argv, int &i,
                        HistoryOptions &options) {
  history::ViewSettings &settings = options.settings;
  if (const auto filter = take_filter(argc, argv, i, options.filter)) {
    return *filter;
  }
  if (argument == "--fleet") {
    settings.fleet = true;
  } else if (argument == "--strict") {
    options.strict = true;
  } else if (argument == "--force") {
    options.force = true;
  } else if (const auto by = option_value("--by", argc, argv, i)) {
    const auto keys = keys_in(by->value);
    if (!keys) {
      return "option " + quoted(by->as_given) + " needs keys among label, host, processor, build and copies, "
                                                 "separated by commas, such as --by=host,label";
    }
    settings.keys = *keys;
  } else if (const auto change = option_value("--min-change", argc, argv, i)) {
    const auto value = plain_decimal(change->value);
    if (!value || *value > 100.0) {
      return "option " + quoted(change->as_given) + " needs a percentage from 0 to 100, such as --min-change=2";
    }
    settings.trend.min_change_percent = *value;
  } else if (const auto recent = option_value("--recent", argc, argv, i)) {
    const auto value = plain_decimal(recent->value);
    if (!value || *value != static_cast<double>(static_cast<long>(*value)) || *value > 36500.0) {
      return "option " + quoted(recent->as_given) + " needs a whole number of days up to 36500, such as --recent=7";
    }
    settings.recent_days = static_cast<long>(*value);
  } else if (const auto slow = option_value("--slow", argc, argv, i)) {
    const auto value = plain_decimal(slow->value);
    if (!value || !(*value > 0.0 && *value < 100.0)) {
      return "option " + quoted(slow->as_given) + " needs a percentage between 0 and 100, such as --slow=5";
    }
    settings.slow_percent = *value;
  } else if (const auto format = option_value("--format", argc, argv, i)) {
    const auto value = output_format_named(format->value);
    if (!value) {
      return "option " + quoted(format->as_given) + " needs table, md, csv or json";
    }
    options.format = *value;
  } else if (const auto html = option_value("--html", argc, argv, i)) {
    if (html->value.empty()) {
      return "option '--html' needs a file name";
    }
    options.html_path = html->value;
  } else {
    return unknown(argument);
  }
  return {};
}

HistoryCommandLine refused(std::string problem) { return {.problem = std::move(problem)}; }

HistoryCommandLine read_add(int argc, const char *const *argv) {
  HistoryCommandLine line;
  line.options.action = HistoryAction::add;
  for (int i = 2; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") {
      line.help = true;
      return line;
    }
    if (starts_with(argument, "-") && argument != "-") {
      return refused("unknown option " + quoted(argument) + " for history add, which takes a DB and RECORDs");
    }
    (line.options.database.empty() ? line.options.database : line.options.records.emplace_back()) = argument;
  }
  if (line.options.database.empty() || line.options.records.empty()) {
    return refused("history add needs a DB and at least one RECORD: a file of records, a directory of them, or - "
                   "for standard input");
  }
  return line;
}

HistoryCommandLine read_export(int argc, const char *const *argv) {
  HistoryCommandLine line;
  line.options.action = HistoryAction::export_records;
  for (int i = 2; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") {
      line.help = true;
      return line;
    }
    if (starts_with(argument, "-")) {
      const auto filter = take_filter(argc, argv, i, line.options.filter);
      if (!filter) {
        return refused("unknown option " + quoted(argument) +
                       " for history export, which takes --host, --label, --since and --until");
      }
      if (!filter->empty()) {
        return refused(*filter);
      }
    } else if (line.options.database.empty()) {
      line.options.database = argument;
    } else {
      return refused("unexpected argument " + quoted(argument) + ": history export reads one DB");
    }
  }
  if (line.options.database.empty()) {
    return refused("history export needs a DB");
  }
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
  HistoryCommandLine line;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") {
      line.help = true;
      return line;
    }
    if (starts_with(argument, "-")) {
      if (std::string problem = take_option(argument, argc, argv, i, line.options); !problem.empty()) {
        return refused(std::move(problem));
      }
    } else if (line.options.database.empty()) {
      line.options.database = argument;
    } else {
      return refused("unexpected argument " + quoted(argument) + ": history reads one DB");
    }
  }
  if (line.options.database.empty()) {
    return refused("history needs a DB: the file that megawhets --db and megawhets history add keep records in");
  }
  return line;
}

std::string history_usage() {
  return fitted_help("Usage: megawhets history [OPTIONS] DB\n"
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
