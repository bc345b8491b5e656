#pragma once

#include <cstddef>

// What the program's exit status tells whoever ran it, so that automation
// can keep a run or throw it away without reading its output.
namespace driver {

enum ExitStatus : int {
  completed = 0,
  run_failed = 1, // a count could not be read, output could not be written, or the run was interrupted
  bad_usage = 2,
  arithmetic_differs = 3, // this build does not compute the workload's arithmetic
  warned_under_strict = 4,
};

// What a run that went to its end tells its exit status: whether its
// arithmetic checked out, whether --strict was asked, and how many warnings
// it gave.
struct FinishedRun {
  bool arithmetic_checked_out;
  bool strict;
  std::size_t warnings;
};

// The status of a run that went to its end. A build whose arithmetic is
// wrong gives figures that mean nothing, which outweighs any warning.
constexpr ExitStatus exit_status(const FinishedRun &run) {
  if (!run.arithmetic_checked_out) {
    return arithmetic_differs;
  }
  return run.strict && run.warnings > 0 ? warned_under_strict : completed;
}

} // namespace driver
