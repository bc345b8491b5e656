#pragma once

#include "callgrind_dump.h"

#include <string>
#include <vector>

// Runs a program under valgrind's callgrind tool, in a temporary directory of
// its own that is removed afterwards, and collects the dumps it wrote.
namespace fidelity {

struct CallgrindRun {
  std::vector<Dump> dumps;
  // Empty when valgrind ran the program to a successful exit; otherwise why
  // not, with valgrind's log.
  std::string problem;
};

CallgrindRun run_under_callgrind(const std::string &valgrind, const std::string &program);

} // namespace fidelity
