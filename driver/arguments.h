#pragma once

#include <string>
#include <string_view>

// The command line. The counts are always asked for at the prompts; the only
// arguments are the two every GNU program understands.
namespace driver {

enum class Request { run, help, version, bad_argument };

struct CommandLine {
  Request request = Request::run;
  std::string bad_argument; // for Request::bad_argument
};

// The first argument decides, as with getopt: "--help --bogus" shows the
// help, "--bogus --help" is refused.
CommandLine read_command_line(int argc, const char *const *argv);

std::string usage();
// The version line, then what the program was built with.
std::string version_text();
// One line naming the argument, safe to show on a terminal whatever it holds.
std::string bad_argument_message(std::string_view argument);

} // namespace driver
