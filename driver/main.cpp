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
#include "driver/commands.h"
#include "driver/console.h"
#include "driver/exit_status.h"
#include "platform/processes.h"

#include <exception>
#include <string>

// Nothing the program throws leaves it as an abort: a fault of its own is
// named as one, with the status of a run that failed.
int main(int argc, char **argv) {
  try {
    // A copy started as a program of its own (on Windows) never returns.
    if (const auto link = platform::copy_link_in_arguments(argc, argv)) {
      copies::run_as_copy(*link);
    }
    return driver::run_program(argc, argv);
  } catch (const std::exception &error) {
    driver::write_error(std::string("megawhets: internal error: ") + error.what() + "\n");
  } catch (...) {
    driver::write_error("megawhets: internal error: an unknown exception\n");
  }
  return driver::run_failed;
}
