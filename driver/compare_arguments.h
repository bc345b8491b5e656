#pragma once

#include "compare/comparison.h"
#include "driver/option_reading.h"

#include <optional>
#include <string>
#include <vector>

// The command line of `megawhets compare`.
namespace driver {

using CompareFormat = OutputFormat;

struct CompareOptions {
  compare::Settings settings{};
  std::string base{}; // the group the others are judged against; empty for the first
  CompareFormat format = CompareFormat::table;
  bool format_given = false;
  std::string html_path{}; // empty for no page; - for the page on standard output, in place of the format
  bool strict = false;
  bool force = false; // --force: replace an output file even where it holds records, a history or a program
  std::vector<std::string> records{}; // RECORD arguments: files, directories, or - for standard input
};

struct CompareCommandLine {
  bool help = false;
  CompareOptions options{};
  std::string problem{}; // one line for standard error, when the command line is refused
};

// The arguments after "compare", taken in order as the run's are.
CompareCommandLine read_compare_command_line(int argc, const char *const *argv);

std::string compare_usage();

} // namespace driver
