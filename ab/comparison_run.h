#pragma once

#include "ab/paired_comparison.h"
#include "ab/slice_run.h"

#include <functional>
#include <string>
#include <string_view>

// A comparison from start to answer: the programs checked and measured, the
// mode chosen, the rounds run until the answer is certain or the budget is
// spent, and the answer.
namespace ab {

enum class ModeChoice { automatic, interleaved, duet };

struct RunRequest {
  std::string names[2]{}; // A and B as given on the command line
  Settings settings{};
  ModeChoice mode = ModeChoice::automatic;
};

// What the caller does as the comparison goes.
struct RunHooks {
  // After each round, with the comparison so far and the answer as the last
  // look would give it now.
  std::function<void(const PairedComparison &, const Answer &)> after_round{};
  // Each slice's own record, as its program wrote it, to keep (--records).
  // False when it could not be kept, which ends the comparison.
  std::function<bool(const Slice &, std::string_view record_text)> keep_record{};
};

enum class RunEnding {
  answered,          // the comparison is whole, or as whole as an interrupt left it
  program_failed,    // a program failed or crashed during a slice: the rounds so far are answered
  not_megawhets,     // a PROGRAM is missing, not executable, not megawhets, or of another record schema
  self_check_failed, // a PROGRAM's self-check failed
  no_duet,           // --duet, without two usable processors
  not_kept,          // a slice's record could not be kept
};

struct RunResult {
  PairedComparison comparison{};
  RunEnding ending = RunEnding::answered;
  std::string message{}; // for standard error, one line without "megawhets: " or a line break
};

RunResult run_comparison(const RunRequest &request, const RunHooks &hooks);

} // namespace ab
