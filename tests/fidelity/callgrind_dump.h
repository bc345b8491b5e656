#pragma once

#include "costs.h"

#include <istream>
#include <string>
#include <vector>

// Reads the file callgrind writes with --combine-dumps=yes: one part per dump.
namespace fidelity {

struct Dump {
  // For a dump the program asked for, the name it gave; otherwise callgrind's
  // own description of what triggered it (for example "Program termination").
  std::string trigger;
  // Since the previous dump or zeroing.
  Costs costs;
};

std::vector<Dump> read_dumps(std::istream &in);

} // namespace fidelity
