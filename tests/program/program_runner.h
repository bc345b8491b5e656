#pragma once

#include <functional>
#include <optional>
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
  std::string err; // empty when standard error went into `out`
};

struct Environment {
  std::vector<std::string> set{};   // NAME=VALUE
  std::vector<std::string> unset{}; // NAME
};

// By default standard input, output and error are pipes, and `input` is
// written to standard input and then closed. A Windows program's CR LF line
// breaks come back as LF, once every line break has been checked to have its
// CR; output that breaks that rule comes back as it was written, so comparing
// it shows the fault.
struct Invocation {
  std::string input{};
  std::vector<std::string> arguments{};
  Environment environment{};
  std::string input_path{};       // standard input from this file instead
  std::string output_path{};      // standard output to this file (for example /dev/full)
  bool error_into_output = false; // as 2>&1
  // The program and a process that never stops computing are both held to
  // one processor, so the program gets only part of its time.
  bool beside_busy_process = false;
  // Once standard output or error holds `once_written`, `then` is called
  // with the program's process id: to stop it, or one of its copies, as a
  // user or the system would.
  std::string once_written{};
  std::function<void(int)> then{};
  // The program may run on one processor only, as under `taskset -c 0`.
  bool on_one_processor = false;
};

Outcome run_program(const Invocation &invocation);

// The processes `pid` has started and that still run.
std::vector<int> child_processes(int pid);

// The processor time `process` and the children it has waited for have used,
// in clock ticks; -1 once it is gone. An emulator (qemu-user, or Wine through
// exec) runs the program in the process it was started as.
long long processor_ticks(int process);

// The whole of /proc/PID/NAME, or nothing where the process has ended (or
// ends while it is read: the read then fails with ESRCH) or is not ours to
// read. Every look at another process goes through this, since on a busy
// machine any of them may end between the listing of /proc and the read.
std::optional<std::string> process_file(const std::string &pid, const char *name);

inline Outcome run_through_pipes(const std::string &input, const Environment &environment = {}) {
  return run_program({.input = input, .environment = environment});
}

struct TerminalOutcome {
  int exit_status = -1;
  std::string before_input; // written before any input was sent
  std::string all;          // everything the terminal received
  std::string out;          // what went through the pipe, when standard output was one
};

// Standard input, output and error are a pseudo-terminal, or, as under
// `megawhets | tee`, input and error are and output is a pipe. Waits until
// `first_prompt` has appeared, and only then types `input`; once `once_shown`
// has appeared, types `then_typed` (Ctrl+C is "\x03").
struct TerminalSession {
  std::string first_prompt;
  std::string input;
  Environment environment{};
  std::vector<std::string> arguments{};
  bool output_through_pipe = false;
  std::string once_shown{};
  std::string then_typed{};
};

TerminalOutcome run_on_terminal(const TerminalSession &session);

inline TerminalOutcome run_on_terminal(const std::string &first_prompt, const std::string &input,
                                       const Environment &environment) {
  return run_on_terminal(TerminalSession{first_prompt, input, environment});
}

} // namespace program_runner
