#pragma once

#include "history/history_view.h"
#include "output/document.h"
#include "output/table.h"

#include <string>
#include <vector>

// A history laid out as a table of typed cells and lines of text, which the
// terminal, Markdown and the page each render through output/, so
// that every reader's escaping is written once for every command.
namespace history {

struct HistoryTables {
  output::Table series{}; // one row per series
  std::vector<std::string>
      changes{}; // change lines: every change, or with a fleet the recent ones of single hosts
  std::vector<std::string> stratum_changes{}; // with a fleet: "S1: -3.2 % from ..."
  std::vector<std::string> notes{};           // the strata, runs left out, ...
  std::vector<std::string> legend{};
  std::string flagged{}; // with a fleet: the hosts whose series changed recently or are slow, comma-separated
};

HistoryTables history_tables(const HistoryView &view);

// What the view says of runs in the future, in one sentence; empty with
// none. The tables' notes hold it, and it is warned of on its own.
std::string future_runs_sentence(const HistoryView &view);

// The tables as a document for a terminal and Markdown, with a fleet's
// flagged hosts as its last line; RFC 4180 CSV of the series' figures, one
// line each.
output::Document history_document(const HistoryTables &tables, bool fleet);
std::string history_csv(const HistoryView &view);

} // namespace history
