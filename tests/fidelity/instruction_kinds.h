#pragma once

#include "costs.h"

#include <string_view>

// What one instruction, as objdump writes it, does: every instruction counts
// once, and by its mnemonic (and operands, where the mnemonic leaves it open)
// as a load, a store, a double operation or a fused multiply-add.
namespace fidelity {

enum class Architecture { x86_64, aarch64, arm, riscv64, ppc64, s390x };

// The architecture this checker was built for, which is the probe's.
Architecture this_architecture();

// `operands` as objdump writes them, comments and symbol names included.
Costs instruction_costs(Architecture architecture, std::string_view mnemonic, std::string_view operands);

} // namespace fidelity
