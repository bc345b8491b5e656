#include "driver/compare_arguments.h"

#include "compare/keys.h"
#include "driver/help_text.h"
#include "driver/option_reading.h"
#include "driver/suggestion.h"

#include <array>
#include <string_view>

namespace driver {
namespace {

constexpr std::array<std::string_view, 11> known_options = {"--by",    "--base", "--alpha",  "--threshold",
                                                            "--fleet", "--slow", "--strict", "--format",
                                                            "--html",  "--force", "--help"};

CompareCommandLine refused(std::string problem) { return {.problem = std::move(problem)}; }

// A number strictly between two bounds, in plain decimal.
std::optional<double> between(std::string_view text, double low, double high) {
  const auto value = plain_decimal(text);
  return value && *value > low && *value < high ? value : std::nullopt;
}

// Options that other programs, or the run itself (--json), give for what
// compare asks of --format.
std::optional<std::string_view> format_meant(std::string_view argument) {
  const std::string_view name = argument.substr(0, argument.find('='));
  if (name == "--json") {
    return "--format json";
  }
  if (name == "--csv") {
    return "--format csv";
  }
  if (name == "--md" || name == "--markdown") {
    return "--format md";
  }
  return std::nullopt;
}

std::string unknown(std::string_view argument) {
  auto meant = format_meant(argument);
  if (!meant) {
    meant = closest_option(argument, known_options);
  }
  return "unknown option " + quoted(argument) +
         (meant ? " (did you mean " + std::string(*meant) + "?)" : " for compare");
}

// Reads one option at argv[i]; an empty result means it was taken.
std::string take_option(std::string_view argument, int argc, const char *const *argv, int &i,
                        CompareOptions &options) {
  compare::Settings &settings = options.settings;
  if (argument == "--fleet") {
    settings.fleet = true;
  } else if (argument == "--strict") {
    options.strict = true;
  } else if (argument == "--force") {
    options.force = true;
  } else if (const auto by = option_value("--by", argc, argv, i)) {
    const auto keys = keys_named(by->value);
    if (!keys) {
      return "option " + quoted(by->as_given) +
             " needs keys among label, host, processor, build and copies, "
             "separated by commas, such as --by=host,build";
    }
    settings.keys = *keys;
  } else if (const auto base = option_value("--base", argc, argv, i)) {
    if (base->value.empty()) {
      return "option '--base' needs the name of a group, as the table shows it";
    }
    options.base = base->value;
  } else if (const auto alpha = option_value("--alpha", argc, argv, i)) {
    const auto value = level(alpha->value);
    if (std::string problem = level_problem(alpha->as_given, value); !problem.empty()) {
      return problem;
    }
    settings.alpha = *value;
  } else if (const auto threshold = option_value("--threshold", argc, argv, i)) {
    const auto value = plain_decimal(threshold->value);
    if (!value) {
      return "option " + quoted(threshold->as_given) + " needs a percentage from 0, such as --threshold=2";
    }
    settings.threshold_percent = *value;
  } else if (const auto slow = option_value("--slow", argc, argv, i)) {
    const auto value = between(slow->value, 0.0, 100.0);
    if (!value) {
      return "option " + quoted(slow->as_given) + " needs a percentage between 0 and 100, such as --slow=5";
    }
    settings.slow_percent = *value;
  } else if (const auto format = option_value("--format", argc, argv, i)) {
    const auto value = output_format_named(format->value);
    if (!value) {
      return "option " + quoted(format->as_given) + " needs table, md, csv or json" +
             (format->value == "html" ? " (did you mean --html FILE?)" : "");
    }
    options.format = *value;
    options.format_given = true;
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

} // namespace

CompareCommandLine read_compare_command_line(int argc, const char *const *argv) {
  CompareCommandLine line;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") {
      line.help = true;
      return line;
    }
    if (starts_with(argument, "-") && argument != "-") {
      if (std::string problem = take_option(argument, argc, argv, i, line.options); !problem.empty()) {
        return refused(std::move(problem));
      }
    } else {
      line.options.records.emplace_back(argument);
    }
  }
  if (line.options.settings.fleet && !line.options.base.empty()) {
    return refused("option '--base' has no place beside --fleet, which judges each host against its stratum "
                   "rather than against a group");
  }
  if (line.options.html_path == "-" && line.options.format_given) {
    return refused("option '--html -' writes the page to standard output in place of --format's output; give "
                   "one of them, or --html FILE");
  }
  if (line.options.records.empty()) {
    return refused("compare needs at least one RECORD: a file of records, a directory of them, or - for "
                   "standard input");
  }
  return line;
}

std::string compare_usage() {
  return fitted_help("Usage: megawhets compare [OPTIONS] RECORD...\n"
         "Compare the records that megawhets --json writes: tell a real difference from noise, and find the\n"
         "slow machine in a fleet.\n"
         "\n"
         "A RECORD is a file holding one or more records, a directory (every *.json in it), or - for "
         "standard\n"
         "input. Records are grouped by what differs among them (label, host, processor, build, copies), "
         "and\n"
         "each group's median steady figure (pass 2's fastest group of outer iterations) is judged against\n"
         "the first group's with a two-sided Mann-Whitney U test.\n"
         "\n"
         "  --by KEY[,KEY]    group by these keys: label, host, processor, build, copies\n"
         "  --base NAME       judge the groups against this one (default: the first)\n"
         "  --alpha A         the test's level, from 1e-14 to below 1 (default 0.05)\n"
         "  --threshold PCT   with --strict, the least significant change that fails (default 2)\n"
         "  --fleet           judge each host against the hosts with the same processor,\n"
         "                    build and copies, and list the slow ones last\n"
         "  --slow PCT        with --fleet, how far below its peers' median a host that stands\n"
         "                    apart must be to be slow (default 5)\n"
         "  --strict          exit with status 4 when a host is slow or fast, a group\n"
         "                    changed significantly by at least --threshold, or a verdict\n"
         "                    rests on disturbed runs\n"
         "  --format FORMAT   table (default), md, csv or json\n"
         "  --html FILE       also write the comparison as one self-contained page; with -,\n"
         "                    write the page to standard output in place of the table\n"
         "  --force           write an output even over a file of run records, a history or a program\n"
         "  --help            show this help and exit\n"
         "\n"
         "Exit status: 0 when the comparison was written; 1 when a RECORD could not be read or held\n"
         "something that is not a record (the others are still compared), or the output could not be\n"
         "written; 2 for bad usage; 4 with --strict, as above.\n"
         "\n"
         "See megawhets(1).\n");
}

} // namespace driver
