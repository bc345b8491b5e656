// The fidelity checks (block_checks.cpp) on counts taken from qemu's log of
// the probe's execution: instructions by kind, on any architecture qemu-user
// runs, the build machine's included.

#include "qemu_run.h"

namespace fidelity {

Measured measure() {
  Measured measured = measure_under_qemu();
  if (measured.problem.empty()) {
    print_per_iteration(measured);
  }
  return measured;
}

} // namespace fidelity
