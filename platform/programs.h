#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Other programs started by this one, their three standard streams piped to
// it: what megawhets ab runs its slices in.
namespace platform {

// Where a program named on the command line is: the name itself where it
// holds a directory separator, otherwise the first match on PATH (on
// Windows, with ".exe" added where the name has no extension). Empty, with
// why, when there is no program to start there: "does not exist", "is a
// directory", "is not executable", "is not on PATH".
struct FoundProgram {
  std::string path{};
  std::string problem{};
};

FoundProgram find_program(const std::string &name);

// A started program, as this process sees it.
struct StartedProgram {
  std::intptr_t process = -1;     // process id or handle; -1 once waited for
  std::intptr_t input = -1;       // where this process writes its standard input; -1 once closed
  std::intptr_t output = -1;      // where its standard output arrives; -1 once it has ended
  std::intptr_t error = -1;       // where its standard error arrives; -1 once it has ended
  std::intptr_t group = -1;       // on Windows, the job that holds it and what it starts
};

// Starts the program at `path` (as find_program gives it) with `arguments`
// after its name, its standard input, output and error piped to this
// process, and, where `processor` is given, held to that processor alone
// (by the system's number, as allowed_processors gives it). It does not see
// the terminal's Ctrl+C, which this process answers for it, and it ends
// with this process however that ends (on Linux and Windows; elsewhere a
// program still running then ends when it next writes to its pipes). False,
// with the system's reason, when it could not be started.
bool start_program(const std::string &path, const std::vector<std::string> &arguments,
                   std::optional<unsigned> processor, StartedProgram &program, std::string &failure);

// Writes the text whole to the program's standard input. False when the
// program has stopped reading it (it has ended, say).
bool write_to_program(StartedProgram &program, std::string_view text);
void close_program_input(StartedProgram &program);

// What has arrived from a program so far.
struct ProgramOutput {
  std::string output{};
  std::string error{};
};

// Waits until something arrives from any of the programs, or both of a
// program's streams have ended, or `longest` has passed, or a signal came;
// and appends what arrived to the program's ProgramOutput (programs and
// outputs go in pairs). A stream that has ended is closed and set to -1.
// False when nothing could be waited on.
bool collect_output(std::span<StartedProgram *const> programs, std::span<ProgramOutput *const> outputs,
                    std::chrono::milliseconds longest);

// Whether both of the program's output streams have ended.
inline bool output_ended(const StartedProgram &program) { return program.output == -1 && program.error == -1; }

// Whether the program itself has ended, though what it started may still
// hold its streams open (a wrapper script's background process, say); if
// it has, that is ended too, so that its streams close. It is left to be
// waited for.
bool program_ended(StartedProgram &program);

// How a program ended.
struct ProgramEnding {
  bool exited = false; // it ended by itself with a status, rather than by a signal or an exception
  int status = 0;      // its exit status, when it exited
  bool ended_here = false; // it was still running when this process ended it
  std::string description{}; // "ended with status 3", "was killed by signal 11 (Segmentation fault)"
};

// Waits at most `longest` for the program to end by itself, then ends it if
// it has not; ends whatever it started that is still running (its process
// group, or its job), closes what is left of its pipes, and says how it
// ended.
ProgramEnding wait_for_program(StartedProgram &program, std::chrono::milliseconds longest);

// Ends the program at once, if it is still running, and says how it ended.
inline ProgramEnding end_program(StartedProgram &program) {
  return wait_for_program(program, std::chrono::milliseconds(0));
}

} // namespace platform
