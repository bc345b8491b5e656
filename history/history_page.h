#pragma once

#include "history/history_tables.h"
#include "history/history_view.h"

#include <cstddef>
#include <string>

namespace history {

// Above this many series a page draws only those that changed or stand
// apart, and summarises the rest in one band per stratum.
inline constexpr std::size_t most_series_drawn_whole = 200;
// And never draws more than this many, however many changed.
inline constexpr std::size_t most_panels = 400;

// The history as one self-contained page: a small chart per series (its
// runs over time, the level of each segment and a mark at each change), the
// bands of the series not drawn, then the same tables, changes, notes and
// legend as the text output. The runs are read again from the source, one
// series at a time. Like compare's page it holds no script and loads
// nothing: its Content-Security-Policy forbids any load.
std::string history_page(const HistoryView &view, const HistoryTables &tables, const SeriesSource &source);

} // namespace history
