#pragma once

#include "compare/comparison.h"
#include "driver/output_choice.h"

#include <optional>
#include <string>
#include <vector>

// The command line of `megawhets compare`.
namespace driver {

struct CompareOptions {
  compare::Settings settings{};
  std::string base{};     // the group the others are judged against; empty for the first
  OutputChoice outputs{}; // --html - puts the page on standard output, in place of the format
  bool strict = false;
  std::vector<std::string> records{}; // RECORD arguments: files, directories, or - for standard input
};

using CompareCommandLine = ReadArguments<CompareOptions>;

// The arguments after "compare", taken in order as the run's are.
CompareCommandLine read_compare_command_line(int argc, const char *const *argv);

std::string compare_usage();

} // namespace driver
