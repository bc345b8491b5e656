#pragma once

#include "history/history_view.h"

#include <string>
#include <vector>

// A history laid out as a table and lines of text, which the terminal,
// Markdown and the page each render in their own way.
namespace history {

// A table of text, each column's figures aligned right or text left.
struct TextTable {
  std::vector<std::string> header{};
  std::vector<std::vector<std::string>> rows{};
  std::vector<bool> numeric{}; // per column
};

struct HistoryTables {
  TextTable series{};                        // one row per series
  std::vector<std::string> changes{};        // change lines: every change, or with a fleet the recent ones of single hosts
  std::vector<std::string> stratum_changes{}; // with a fleet: "S1: −3.2 % from ..."
  std::vector<std::string> notes{};          // the strata, runs left out, ...
  std::vector<std::string> legend{};
  std::string flagged{}; // with a fleet: the series that changed recently or are slow, comma-separated
};

HistoryTables history_tables(const HistoryView &view);

// The table for a terminal, with colour where wanted; Markdown; RFC 4180
// CSV of the series' figures, one line each.
std::string history_text(const HistoryTables &tables, bool fleet, bool colour);
std::string history_markdown(const HistoryTables &tables, bool fleet);
std::string history_csv(const HistoryView &view);

} // namespace history
