#pragma once

#include "history/history_view.h"

#include <string>

namespace history {

// The view as JSON, as history/history.schema.json documents it: every
// series with its levels and changes, and with a fleet each series' verdict
// and the strata's changes.
std::string history_json(const HistoryView &view);

} // namespace history
