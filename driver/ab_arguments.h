#pragma once

#include "ab/comparison_run.h"
#include "driver/output_choice.h"

#include <string>

// The command line of `megawhets ab`.
namespace driver {

// How long a slice takes, unless told: the length that gave the tightest
// paired interval for the minute on a noisy 2-processor guest (docs/ab.md).
constexpr double default_slice_seconds = 0.5;
constexpr double default_budget_seconds = 60.0;
constexpr double shortest_budget_seconds = 1.0;
constexpr double longest_budget_seconds = 86400.0;
constexpr double default_threshold_percent = 1.0;
// A fixed count of rounds: at least the 6 at which the exact signed-rank
// test can first find a difference at 0.05.
constexpr std::size_t fewest_rounds = 6;
using ab::most_rounds;

struct AbOptions {
  ab::RunRequest request{};
  OutputChoice outputs{}; // --json FILE: every slice, the order, the seed and the answer
  bool strict = false;
  std::string records_path{}; // --records DIR: empty for none
};

using AbCommandLine = ReadArguments<AbOptions>;

// The arguments after "ab", taken in order as the run's are.
AbCommandLine read_ab_command_line(int argc, const char *const *argv);

std::string ab_usage();

} // namespace driver
