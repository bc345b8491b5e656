#pragma once

#include <string>
#include <vector>

// Runs the built program as a user would, and collects what it writes.
namespace program_runner {

// A Windows program, run under Wine: there is no pseudo-terminal or
// /dev/full for it, and its text-mode streams end lines with CR LF.
#ifdef MEGAWHETS_WINDOWS_PROGRAM
constexpr bool windows_program = true;
#else
constexpr bool windows_program = false;
#endif

struct Outcome {
  int exit_status = -1; // -1 if it did not exit normally
  std::string out;
  std::string err;
};

struct Environment {
  std::vector<std::string> set;   // NAME=VALUE
  std::vector<std::string> unset; // NAME
};

// Standard input and output are pipes; `input` is written and then closed.
// A Windows program's CR LF line breaks come back as LF, once every line
// break has been checked to have its CR; output that breaks that rule comes
// back as it was written, so comparing it shows the fault.
Outcome run_through_pipes(const std::string &input, const Environment &environment = {});

// Standard output goes to the file at `path` (for example /dev/full).
Outcome run_with_output_to(const std::string &path, const std::string &input);

struct TerminalOutcome {
  int exit_status = -1;
  std::string before_input; // written before any input was sent
  std::string all;          // everything the terminal received
};

// Standard input and output are a pseudo-terminal. Waits until `first_prompt`
// has appeared, and only then types `input`.
TerminalOutcome run_on_terminal(const std::string &first_prompt, const std::string &input,
                                const Environment &environment);

} // namespace program_runner
