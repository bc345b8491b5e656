#pragma once

#include "driver/ab_arguments.h"

namespace driver {

// `megawhets ab`: runs the two programs in rounds of slices until the answer
// is certain or the budget is spent, shows its progress on a terminal, and
// writes the comparison in the format asked for, and the files asked for.
// Returns the exit status.
int ab_command(const AbOptions &options);

} // namespace driver
