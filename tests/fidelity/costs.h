#pragma once

#include <cstdint>

namespace fidelity {

// What a stretch of the program executed. Callgrind, with --cache-sim=yes,
// counts the instructions (Ir) and the data reads (Dr) and writes (Dw) they
// make. The qemu log gives each instruction executed, so there the loads and
// stores are the values instructions read from or write to memory (a store
// of a pair of registers counts twice), and the floating-point work is
// counted too; callgrind leaves those counts at 0.
struct Costs {
  std::uint64_t instructions = 0;
  std::uint64_t loads = 0;
  std::uint64_t stores = 0;
  // Double additions and subtractions, multiplications and divisions. A
  // multiply-accumulate that rounds twice counts as a multiplication and an
  // addition.
  std::uint64_t additions = 0;
  std::uint64_t multiplications = 0;
  std::uint64_t divisions = 0;
  // Fused multiply-adds (one rounding) in the workload's own code.
  std::uint64_t fused = 0;

  Costs &operator+=(const Costs &more) {
    instructions += more.instructions;
    loads += more.loads;
    stores += more.stores;
    additions += more.additions;
    multiplications += more.multiplications;
    divisions += more.divisions;
    fused += more.fused;
    return *this;
  }
  bool operator==(const Costs &) const = default;
};

} // namespace fidelity
