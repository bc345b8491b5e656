#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The commands megawhets takes as its first argument; without one, it runs
// the passes. Each is one line of a table, from which the dispatch, the
// help's synopsis and the guess at a mistyped command are all made, so that
// a new command is added in one place.
namespace driver {

// What a command made of its arguments: its help, why they are refused, or
// the work they ask for, which returns the exit status.
struct CommandReading {
  bool help = false;
  std::string problem{}; // one line for standard error, when the command line is refused
  std::function<int()> act{};
};

struct Command {
  std::string_view name;
  std::string_view operands; // as the help's synopsis shows them: "[OPTIONS] RECORD..."
  std::string (*usage)();
  // The arguments after the name, argv[0] being the name itself.
  CommandReading (*read)(int argc, const char *const *argv);
  // Whether this build can run the command at all, and why not.
  bool (*built)() = nullptr;
  std::string_view not_built_reason{};
};

std::span<const Command> commands();
std::vector<std::string_view> command_names();
const Command *command_named(std::string_view name);

// The help's lines for the commands: "megawhets compare [OPTIONS] RECORD...
// (see 'megawhets compare --help')", indented to follow "Usage: ".
std::string command_synopses();

// Runs a command from its name on (argv[0] is the name): its help, a
// refusal with where to read more, or its work. Returns the exit status.
int run_command(const Command &command, int argc, const char *const *argv);

// The whole command line, argv[0] being the program: a command of the
// table, or the passes with the run's own options.
int run_program(int argc, const char *const *argv);

} // namespace driver
