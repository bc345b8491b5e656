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

struct Verdict {
  bool arithmetic_checked_out;
  bool strict;
  std::size_t warnings;
};

// The status of a run that went to its end. A build whose arithmetic is
// wrong gives figures that mean nothing, which outweighs any warning.
constexpr ExitStatus exit_status(const Verdict &verdict) {
  if (!verdict.arithmetic_checked_out) {
    return arithmetic_differs;
  }
  return verdict.strict && verdict.warnings > 0 ? warned_under_strict : completed;
}

} // namespace driver
