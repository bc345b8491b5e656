#pragma once

#include "driver/output_choice.h"
#include "history/history_view.h"
#include "history/store.h"

#include <string>
#include <vector>

// The command line of `megawhets history`: its trends, `history add` and
// `history export`.
namespace driver {

enum class HistoryAction { trends, add, export_records };
struct HistoryOptions {
  HistoryAction action = HistoryAction::trends;
  std::string database{};
  std::vector<std::string> records{}; // add: RECORD arguments: files, directories, or - for standard input
  history::Filter filter{};
  history::ViewSettings settings{};
  OutputChoice outputs{};
  bool strict = false;
};

using HistoryCommandLine = ReadArguments<HistoryOptions>;

// The arguments after "history", taken in order as the run's are.
HistoryCommandLine read_history_command_line(int argc, const char *const *argv);

std::string history_usage();

} // namespace driver
