#include "driver/commands.h"

#include "driver/ab_command.h"
#include "driver/arguments.h"
#include "driver/compare_command.h"
#include "driver/console.h"
#include "driver/exit_status.h"
#include "driver/history_command.h"
#include "driver/run.h"
#include "history/store.h"

#include <array>

namespace driver {
namespace {

// A command line read, bound to the work it asks for.
template <class Options>
CommandReading reading_of(ReadArguments<Options> line, int (*act)(const Options &options)) {
  return {.help = line.help,
          .problem = std::move(line.problem),
          .act = [act, options = std::move(line.options)] { return act(options); }};
}

CommandReading read_compare(int argc, const char *const *argv) {
  return reading_of(read_compare_command_line(argc, argv), compare_command);
}

CommandReading read_history(int argc, const char *const *argv) {
  return reading_of(read_history_command_line(argc, argv), history_command);
}

CommandReading read_ab(int argc, const char *const *argv) {
  return reading_of(read_ab_command_line(argc, argv), ab_command);
}

// The synopsis pads each command's operands to this column, past which a
// long one is set off by a space.
constexpr std::size_t see_column = 40;

const std::array<Command, 3> command_table = {{
    {"compare", "[OPTIONS] RECORD...", compare_usage, read_compare},
    // Every command of the history needs its store, which a build for a
    // target without SQLite or nettle lacks.
    {"history", "[OPTIONS] DB", history_usage, read_history, history::store_built,
     "this build of megawhets has no history store (SQLite or nettle was not found for its target)"},
    {"ab", "[OPTIONS] PROGRAM_A PROGRAM_B", ab_usage, read_ab},
}};

int show(const std::string &text) {
  write_output(text);
  return flush_output() ? completed : run_failed;
}

int run_passes(int argc, const char *const *argv) {
  const CommandLine command_line = read_command_line(argc, argv);
  switch (command_line.request) {
  case Request::help:
    return show(usage());
  case Request::version:
    return show(version_text());
  case Request::bad_argument:
    write_error(bad_argument_message(command_line));
    return bad_usage;
  case Request::run:
    break;
  }
  return run(command_line.options);
}

} // namespace

std::span<const Command> commands() { return command_table; }

std::vector<std::string_view> command_names() {
  std::vector<std::string_view> names;
  for (const Command &command : command_table) {
    names.push_back(command.name);
  }
  return names;
}

const Command *command_named(std::string_view name) {
  for (const Command &command : command_table) {
    if (command.name == name) {
      return &command;
    }
  }
  return nullptr;
}

std::string command_synopses() {
  std::string text;
  for (const Command &command : command_table) {
    const std::string synopsis =
        "megawhets " + std::string(command.name) + " " + std::string(command.operands);
    text += "       " + synopsis +
            std::string(synopsis.size() < see_column ? see_column - synopsis.size() : 1, ' ') +
            "(see 'megawhets " + std::string(command.name) + " --help')\n";
  }
  return text;
}

int run_command(const Command &command, int argc, const char *const *argv) {
  if (command.built != nullptr && !command.built()) {
    write_error("megawhets: " + std::string(command.not_built_reason) + "; see 'megawhets --help'\n");
    return bad_usage;
  }
  const CommandReading reading = command.read(argc, argv);
  if (reading.help) {
    return show(command.usage());
  }
  if (!reading.problem.empty()) {
    write_error("megawhets: " + reading.problem + "; see 'megawhets " + std::string(command.name) +
                " --help'\n");
    return bad_usage;
  }
  return reading.act();
}

int run_program(int argc, const char *const *argv) {
  if (const Command *command = argc > 1 ? command_named(argv[1]) : nullptr) {
    return run_command(*command, argc - 1, argv + 1);
  }
  return run_passes(argc, argv);
}

} // namespace driver
