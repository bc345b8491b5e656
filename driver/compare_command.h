#pragma once

#include "driver/compare_arguments.h"

namespace driver {

// `megawhets compare`: reads the records, compares them, and writes the
// comparison in the format asked for, and the page if asked. Returns the
// exit status.
int compare_command(const CompareOptions &options);

} // namespace driver
