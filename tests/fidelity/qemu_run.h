#pragma once

#include "block_checks.h"

// Runs the block probe under qemu-user for the architecture it was built for,
// in a temporary directory of its own, and counts each of its runs from
// qemu's log, objdump's disassembly and readelf's symbol table.
namespace fidelity {

Measured measure_under_qemu();

} // namespace fidelity
