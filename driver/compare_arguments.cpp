#include "driver/compare_arguments.h"

#include "compare/keys.h"
#include "driver/help_text.h"
#include "driver/option_reading.h"
#include "text/printable.h"

#include <array>
#include <string_view>

namespace driver {
namespace {

using Rule = OptionRule<CompareOptions>;

std::string take_by(const OptionValue &given, CompareOptions &options) {
  return read_into(options.settings.keys, given, keys_named(given.value),
                   "needs keys among label, host, processor, build and copies, separated by commas, such as "
                   "--by=host,build");
}

std::string take_base(const OptionValue &given, CompareOptions &options) {
  options.base = given.value;
  return missing_value_problem(given, "--base", "the name of a group, as the table shows it");
}

std::string take_alpha(const OptionValue &given, CompareOptions &options) {
  return read_level(options.settings.alpha, given);
}

std::string take_threshold(const OptionValue &given, CompareOptions &options) {
  return read_into(options.settings.threshold_percent, given, plain_decimal(given.value),
                   "needs a percentage from 0, such as --threshold=2");
}

std::string take_fleet(const OptionValue &, CompareOptions &options) {
  options.settings.fleet = true;
  return {};
}

std::string take_slow(const OptionValue &given, CompareOptions &options) {
  return read_into(options.settings.slow_percent, given, open_percentage(given.value),
                   open_percentage_needed);
}

// A page asked of --format is --html's to give.
std::string take_format(const OptionValue &given, CompareOptions &options) {
  const std::string problem = driver::take_format(given, options.outputs);
  return problem.empty() || given.value != "html" ? problem : problem + " (did you mean --html FILE?)";
}

constexpr std::array<Rule, 10> options_of_compare = {{
    {"--by", Takes::value, take_by},
    {"--base", Takes::value, take_base},
    {"--alpha", Takes::value, take_alpha},
    {"--threshold", Takes::value, take_threshold},
    {"--fleet", Takes::nothing, take_fleet},
    {"--slow", Takes::value, take_slow},
    strict_option<CompareOptions>,
    {"--format", Takes::value, take_format},
    html_option<CompareOptions>,
    force_option<CompareOptions>,
}};

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
  if (const auto meant = format_meant(argument)) {
    return "unknown option " + text::quoted(argument) + " (did you mean " + std::string(*meant) + "?)";
  }
  return unknown_option_problem(argument, option_names(options_of_compare), " for compare");
}

std::string take_record(std::string_view argument, CompareOptions &options) {
  options.records.emplace_back(argument);
  return {};
}

// What only the whole command line shows: options that cannot go together,
// and a comparison of nothing.
std::string whole_line_problem(const CompareOptions &options) {
  if (options.settings.fleet && !options.base.empty()) {
    return "option '--base' has no place beside --fleet, which judges each host against its stratum rather "
           "than "
           "against a group";
  }
  if (options.outputs.html_path == "-" && options.outputs.format_given) {
    return "option '--html -' writes the page to standard output in place of --format's output; give one of "
           "them, "
           "or --html FILE";
  }
  if (options.records.empty()) {
    return "compare needs at least one RECORD: a file of records, a directory of them, or - for standard "
           "input";
  }
  return {};
}

} // namespace

CompareCommandLine read_compare_command_line(int argc, const char *const *argv) {
  CompareCommandLine line =
      read_arguments(Grammar<CompareOptions>{options_of_compare, take_record, unknown}, 1, argc, argv);
  if (!line.help && line.problem.empty()) {
    line.problem = whole_line_problem(line.options);
  }
  return line;
}

std::string compare_usage() {
  return fitted_help(
      "Usage: megawhets compare [OPTIONS] RECORD...\n"
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
