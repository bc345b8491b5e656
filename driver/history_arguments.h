#pragma once

#include "driver/option_reading.h"
#include "history/history_view.h"
#include "history/store.h"

#include <string>
#include <vector>

// The command line of `megawhets history`: its trends, `history add` and
// `history export`.
namespace driver {

enum class HistoryAction { trends, add, export_records };
using HistoryFormat = OutputFormat;

struct HistoryOptions {
  HistoryAction action = HistoryAction::trends;
  std::string database{};
  std::vector<std::string> records{}; // add: RECORD arguments: files, directories, or - for standard input
  history::Filter filter{};
  history::ViewSettings settings{};
  HistoryFormat format = HistoryFormat::table;
  std::string html_path{}; // empty for no page
  bool strict = false;
  bool force = false; // --force: replace an output file even where it holds records, a history or a program
};

struct HistoryCommandLine {
  bool help = false;
  HistoryOptions options{};
  std::string problem{}; // one line for standard error, when the command line is refused
};

// The arguments after "history", taken in order as the run's are.
HistoryCommandLine read_history_command_line(int argc, const char *const *argv);

std::string history_usage();

} // namespace driver
