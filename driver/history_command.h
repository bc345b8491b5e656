#pragma once

#include "driver/history_arguments.h"

namespace driver {

// `megawhets history`: stores records, writes them back, or shows each
// series' trend in the format asked for, and the page if asked. Returns the
// exit status.
int history_command(const HistoryOptions &options);

} // namespace driver
