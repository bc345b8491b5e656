#include "driver/arguments.h"

#include "driver/commands.h"
#include "driver/option_reading.h"
#include "driver/suggestion.h"
#include "history/store.h"
#include "platform/build.h"
#include "record/label.h"
#include "text/formatted.h"
#include "text/printable.h"

#include <array>

#include <cstdlib>

namespace driver {
namespace {

std::optional<double> seconds_in(std::string_view text) {
  const auto seconds = plain_decimal(text);
  if (!seconds || !(*seconds >= fewest_auto_seconds && *seconds <= most_auto_seconds)) {
    return std::nullopt;
  }
  return seconds;
}

// A count of copies from 1 to most_copies, in plain decimal.
std::optional<unsigned> copies_in(std::string_view text) {
  if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  const unsigned count = static_cast<unsigned>(std::strtoul(std::string(text).c_str(), nullptr, 10));
  if (count < 1 || count > most_copies) {
    return std::nullopt;
  }
  return count;
}

// What an option of the run is refused for: the problem, and the argument
// a message names; none when it was taken.
struct Refusal {
  ArgumentProblem problem = ArgumentProblem::none;
  std::string argument{};
};

using Rule = OptionRule<RunOptions, Refusal>;

Refusal take_record_path(const OptionValue &given, RunOptions &options) {
  options.record_path = given.value;
  return given.value.empty() ? Refusal{ArgumentProblem::missing_file, "--json"} : Refusal{};
}

Refusal take_label(const OptionValue &given, RunOptions &options) {
  if (given.absent) {
    return {ArgumentProblem::missing_label, "--label"};
  }
  if (!record::label_problem(given.value).empty()) {
    return {ArgumentProblem::bad_label, given.value};
  }
  options.label = given.value;
  return {};
}

Refusal take_default_seconds(const OptionValue &, RunOptions &options) {
  options.auto_seconds = default_auto_seconds;
  return {};
}

Refusal take_seconds(const OptionValue &given, RunOptions &options) {
  options.auto_seconds = seconds_in(given.value);
  return options.auto_seconds ? Refusal{} : Refusal{ArgumentProblem::bad_seconds, given.as_given};
}

Refusal take_strict(const OptionValue &, RunOptions &options) {
  options.strict = true;
  return {};
}

Refusal take_copies(const OptionValue &given, RunOptions &options) {
  const auto count = copies_in(given.value);
  if (given.value != "all" && !count) {
    return {ArgumentProblem::bad_copies, given.as_given};
  }
  options.copies_per_processor = given.value == "all";
  options.copies = count.value_or(0);
  return {};
}

Refusal take_history_path(const OptionValue &given, RunOptions &options) {
  if (given.value.empty()) {
    return {ArgumentProblem::missing_history, "--db"};
  }
  if (!history::store_built()) {
    return {ArgumentProblem::no_history_store, "--db"};
  }
  options.history_path = given.value;
  return {};
}

constexpr std::array<Rule, 7> run_options = {{
    {"--json", Takes::value, take_record_path},
    {"--label", Takes::value, take_label},
    {"--auto", Takes::nothing, take_default_seconds},
    {"--auto", Takes::attached, take_seconds},
    {"--strict", Takes::nothing, take_strict},
    {"--copies", Takes::value, take_copies},
    {"--db", Takes::value, take_history_path},
}};

CommandLine refused(ArgumentProblem problem, const std::string &argument, std::string suggestion = {}) {
  return {.request = Request::bad_argument,
          .problem = problem,
          .bad_argument = argument,
          .suggestion = std::move(suggestion)};
}

// GNU's rule: an optional value is attached with =, so "--auto 5" is --auto
// and then a stray 5, which the user most likely meant as --auto=5. A first
// argument a letter or two from a command's name is that command mistyped.
CommandLine stray_argument(int i, const char *const *argv) {
  const std::string argument = argv[i];
  if (i > 1 && std::string_view(argv[i - 1]) == "--auto") {
    return refused(ArgumentProblem::detached_value, argument, "--auto=" + argument);
  }
  if (const auto meant = i == 1 ? closest_option(argument, command_names()) : std::nullopt) {
    return refused(ArgumentProblem::unknown_command, argument, std::string(*meant));
  }
  return refused(ArgumentProblem::unexpected_argument, argument);
}

CommandLine unknown_option(std::string_view argument) {
  std::vector<std::string_view> known = option_names(run_options);
  known.push_back("--version");
  const auto meant = closest_option(argument, known);
  return refused(ArgumentProblem::unknown_option, std::string(argument), meant ? std::string(*meant) : "");
}

} // namespace

CommandLine read_command_line(int argc, const char *const *argv) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "--version") {
      line.request = argument == "--help" ? Request::help : Request::version;
      return line;
    }
    if (const auto refusal =
            take_listed_option(std::span<const Rule>(run_options), argc, argv, i, line.options)) {
      if (refusal->problem != ArgumentProblem::none) {
        return refused(refusal->problem, refusal->argument);
      }
    } else if (argument.starts_with("-") && argument != "-") {
      return unknown_option(argument);
    } else {
      return stray_argument(i, argv);
    }
  }
  return line;
}

std::string usage() {
  return "Usage: megawhets [--json FILE] [--label TEXT] [--auto[=SECONDS]] [--strict]\n"
         "                 [--copies N|all] [--db DB]\n" +
         command_synopses() +
         "       megawhets --help | --version\n"
         "Measure how fast this machine does double-precision floating-point work.\n"
         "\n"
         "megawhets asks for an inner and an outer loop count on standard input, times\n"
         "two passes of a fixed workload (the second with twice the inner count), and\n"
         "reports each pass's elapsed seconds and its rate in megaWhets per second.\n"
         "What produced the figures, and any warning about them, goes to standard error.\n"
         "\n"
         "The counts can come from a pipe, both on one line:\n"
         "  printf '20000 10\\n' | megawhets\n"
         "\n"
         "  --json FILE       also write a JSON record of the run to FILE, replacing it\n"
         "                    only once the run is complete; with -, write the record to\n"
         "                    standard output and everything else to standard error\n"
         "  --label TEXT      name in the record what was changed for this run, such as\n"
         "                    'gcc-13 -O3': 1 to 200 bytes of text on one line\n"
         "  --auto[=SECONDS]  read no counts: choose them so that both passes together\n"
         "                    take SECONDS to 1.3 x SECONDS (default 15)\n"
         "  --strict          exit with status 4 when the run gave any warning\n"
         "  --copies N|all    run both passes in N copies at once (1 to 1024), or one\n"
         "                    per processor this process may use, and report the\n"
         "                    machine's rate\n"
         "  --db DB           also store the run's record in the history DB, an SQLite\n"
         "                    file made if missing (see 'megawhets history --help')\n"
         "  --help            show this help and exit\n"
         "  --version         show the version and the build, and exit\n"
         "\n"
         "Exit status: 0 when the run completed and its arithmetic checked out; 1 when\n"
         "a count could not be read, the report or record could not be written, a copy\n"
         "failed, or the run was interrupted; 2 for bad usage; 3 when this build's\n"
         "arithmetic is not the workload's; 4 with --strict, when the run gave a\n"
         "warning.\n"
         "\n"
         "See megawhets(1).\n";
}

std::string version_text() {
  return platform::program_version() + "\n" + platform::build_description() + "\n";
}

std::string bad_argument_message(const CommandLine &command_line) {
  const std::string argument = text::quoted(command_line.bad_argument);
  std::string what;
  switch (command_line.problem) {
  case ArgumentProblem::unknown_option:
    what =
        command_line.suggestion.empty()
            ? "unknown option " + argument + ": the counts are asked for at the prompts or read from a pipe"
            : "unknown option " + argument + " (did you mean " + command_line.suggestion + "?)";
    break;
  case ArgumentProblem::unknown_command:
    what = "unknown command " + argument + " (did you mean " + command_line.suggestion + "?)";
    break;
  case ArgumentProblem::detached_value:
    what = "unexpected argument " + argument +
           ": an option's optional value is attached with = (did you mean " +
           text::printable(command_line.suggestion) + "?)";
    break;
  case ArgumentProblem::unexpected_argument:
    what =
        "unexpected argument " + argument + ": the counts are asked for at the prompts or read from a pipe";
    break;
  case ArgumentProblem::missing_file:
    what = "option " + argument + " needs a file name, or - for standard output";
    break;
  case ArgumentProblem::bad_seconds:
    what = "option " + argument + " needs a number of seconds from 1 to 86400, such as --auto=30";
    break;
  case ArgumentProblem::bad_copies:
    what = "option " + argument + " needs a number of copies from 1 to 1024, or all";
    break;
  case ArgumentProblem::missing_label:
    what = "option '--label' needs a label after it, such as --label 'gcc-13 -O3'";
    break;
  case ArgumentProblem::bad_label:
    what = "option '--label' needs 1 to " + std::to_string(record::longest_label) +
           " bytes of UTF-8 text without control characters, but the label " +
           record::label_problem(command_line.bad_argument);
    break;
  case ArgumentProblem::missing_history:
    what = "option " + argument + " needs the file name of a history, such as --db runs.db";
    break;
  case ArgumentProblem::no_history_store:
    what = "option " + argument +
           " stores the record in a history, but this build of megawhets has no history "
           "store (SQLite or nettle was not found for its target)";
    break;
  case ArgumentProblem::none:
    break;
  }
  return "megawhets: " + what + "; see 'megawhets --help'\n";
}

} // namespace driver
