#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

// Reads the file callgrind writes with --combine-dumps=yes: one part per dump.
namespace fidelity {

// With --cache-sim=yes callgrind counts, besides the instructions executed
// (Ir), the data reads (Dr) and writes (Dw) they make. Without it the two
// stay 0.
struct Costs {
  std::uint64_t instructions = 0;
  std::uint64_t loads = 0;
  std::uint64_t stores = 0;

  bool operator==(const Costs &) const = default;
};

struct Dump {
  // For a dump the program asked for, the name it gave; otherwise callgrind's
  // own description of what triggered it (for example "Program termination").
  std::string trigger;
  // Since the previous dump or zeroing.
  Costs costs;
};

std::vector<Dump> read_dumps(std::istream &in);

} // namespace fidelity
