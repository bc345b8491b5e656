#pragma once

#include <optional>
#include <string>
#include <string_view>

// The command line. Without arguments the counts are asked for at the
// prompts and nothing but the report is written; options add a record of the
// run, counts chosen by a probe, and a strict verdict.
namespace driver {

enum class Request { run, help, version, bad_argument };

enum class ArgumentProblem {
  none,
  unknown_option,
  unknown_command, // a first argument close to a command's name
  unexpected_argument,
  detached_value, // an optional value given as the next argument, not attached with =
  missing_file,
  bad_seconds,
  bad_copies,
  missing_label, // --label as the last argument
  bad_label
};

// How long --auto aims for both passes together to take, unless told.
constexpr double default_auto_seconds = 15.0;
constexpr double fewest_auto_seconds = 1.0;
constexpr double most_auto_seconds = 86400.0;

constexpr unsigned most_copies = 1024;

struct RunOptions {
  std::string record_path{}; // empty for no record; "-" for standard output
  std::optional<double> auto_seconds{};
  bool strict = false;
  unsigned copies = 0;              // 0 for a run in this process alone
  bool copies_per_processor = false; // --copies all: one per usable processor
  std::optional<std::string> label{}; // for the record: what the user changed for this run
};

struct CommandLine {
  Request request = Request::run;
  RunOptions options{};
  ArgumentProblem problem = ArgumentProblem::none;
  std::string bad_argument{}; // the argument the problem is with
  std::string suggestion{};   // what was likely meant, if anything
};

// Arguments are taken in order, as with getopt: "--help --bogus" shows the
// help, "--bogus --help" is refused, and an option given twice keeps its
// last value.
CommandLine read_command_line(int argc, const char *const *argv);

std::string usage();
// The version line, then what the program was built with.
std::string version_text();
// One line naming the argument, safe to show on a terminal whatever it holds.
std::string bad_argument_message(const CommandLine &command_line);

} // namespace driver
