#pragma once

#include "driver/arguments.h"

namespace driver {

// A whole run, from the counts to its verdict: the self-check, the dialogue,
// both passes and the report, the account on standard error, and the
// record. Returns the exit status.
int run(const RunOptions &options);

} // namespace driver
