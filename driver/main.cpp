// megawhets: asks for an inner and an outer loop count, times two passes of
// the workload (the second with twice the inner count) and reports how long
// each took, the rate achieved, and how far the second pass departs from
// twice the first. What produced the figures, and anything that disturbed
// them, goes to standard error once the report is complete. Options add a
// record of the run, counts chosen by a probe, and a strict verdict; the
// compare command puts the records of many runs side by side, the history
// command keeps them and follows each machine's speed through time, and the
// ab command tells two programs apart by running them in pairs of slices.

#include "copies/copy_run.h"
#include "driver/ab_arguments.h"
#include "driver/ab_command.h"
#include "driver/arguments.h"
#include "driver/compare_arguments.h"
#include "driver/compare_command.h"
#include "driver/console.h"
#include "driver/exit_status.h"
#include "driver/history_arguments.h"
#include "driver/history_command.h"
#include "driver/run.h"
#include "platform/processes.h"

#include <exception>
#include <string>
#include <string_view>

namespace {

int show(const std::string &text) {
  driver::write_output(text);
  return driver::flush_output() ? driver::completed : driver::run_failed;
}

int compare_records(int argc, const char *const *argv) {
  const driver::CompareCommandLine command_line = driver::read_compare_command_line(argc, argv);
  if (command_line.help) {
    return show(driver::compare_usage());
  }
  if (!command_line.problem.empty()) {
    driver::write_error("megawhets: " + command_line.problem + "; see 'megawhets compare --help'\n");
    return driver::bad_usage;
  }
  return driver::compare_command(command_line.options);
}

// Every command of the history needs its store, which a build for a target
// without SQLite lacks.
int history_records(int argc, const char *const *argv) {
  if (!history::store_built()) {
    driver::write_error("megawhets: this build of megawhets has no history store (SQLite was not found for its "
                        "target); see 'megawhets --help'\n");
    return driver::bad_usage;
  }
  const driver::HistoryCommandLine command_line = driver::read_history_command_line(argc, argv);
  if (command_line.help) {
    return show(driver::history_usage());
  }
  if (!command_line.problem.empty()) {
    driver::write_error("megawhets: " + command_line.problem + "; see 'megawhets history --help'\n");
    return driver::bad_usage;
  }
  return driver::history_command(command_line.options);
}

int compare_programs(int argc, const char *const *argv) {
  const driver::AbCommandLine command_line = driver::read_ab_command_line(argc, argv);
  if (command_line.help) {
    return show(driver::ab_usage());
  }
  if (!command_line.problem.empty()) {
    driver::write_error("megawhets: " + command_line.problem + "; see 'megawhets ab --help'\n");
    return driver::bad_usage;
  }
  return driver::ab_command(command_line.options);
}

int run_command(int argc, char **argv) {
  // A copy started as a program of its own (on Windows) never returns.
  if (const auto link = platform::copy_link_in_arguments(argc, argv)) {
    copies::run_as_copy(*link);
  }
  if (argc > 1 && std::string_view(argv[1]) == "compare") {
    return compare_records(argc - 1, argv + 1);
  }
  if (argc > 1 && std::string_view(argv[1]) == "history") {
    return history_records(argc - 1, argv + 1);
  }
  if (argc > 1 && std::string_view(argv[1]) == "ab") {
    return compare_programs(argc - 1, argv + 1);
  }
  const driver::CommandLine command_line = driver::read_command_line(argc, argv);
  switch (command_line.request) {
  case driver::Request::help:
    return show(driver::usage());
  case driver::Request::version:
    return show(driver::version_text());
  case driver::Request::bad_argument:
    driver::write_error(driver::bad_argument_message(command_line));
    return driver::bad_usage;
  case driver::Request::run:
    break;
  }
  return driver::run(command_line.options);
}

} // namespace

// Nothing the program throws leaves it as an abort: a fault of its own is
// named as one, with the status of a run that failed.
int main(int argc, char **argv) {
  try {
    return run_command(argc, argv);
  } catch (const std::exception &error) {
    driver::write_error(std::string("megawhets: internal error: ") + error.what() + "\n");
  } catch (...) {
    driver::write_error("megawhets: internal error: an unknown exception\n");
  }
  return driver::run_failed;
}
