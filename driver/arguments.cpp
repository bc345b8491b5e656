#include "driver/arguments.h"

#include "driver/build.h"
#include "driver/formatted.h"

namespace driver {
namespace {

// Control bytes are shown as escapes so that a stray argument cannot move
// the cursor or change the terminal's settings.
std::string shown(std::string_view argument) {
  std::string text;
  for (const char c : argument) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      text += formatted("\\x%02X", byte);
    } else {
      text += c;
    }
  }
  return text;
}

} // namespace

CommandLine read_command_line(int argc, const char *const *argv) {
  if (argc < 2) {
    return {};
  }
  const std::string_view first = argv[1];
  if (first == "--help") {
    return {Request::help, {}};
  }
  if (first == "--version") {
    return {Request::version, {}};
  }
  return {Request::bad_argument, std::string(first)};
}

std::string usage() {
  return "Usage: megawhets [--help | --version]\n"
         "Measure how fast this machine does double-precision floating-point work.\n"
         "\n"
         "megawhets asks for an inner and an outer loop count on standard input, times\n"
         "two passes of a fixed workload (the second with twice the inner count), and\n"
         "reports each pass's elapsed seconds and its rate in megaWhets per second.\n"
         "What produced the figures, and any warning about them, goes to standard error.\n"
         "\n"
         "The counts can come from a pipe, both on one line:\n"
         "  printf '20000 10\\n' | megawhets\n"
         "\n"
         "  --help     show this help and exit\n"
         "  --version  show the version and the build, and exit\n"
         "\n"
         "Exit status: 0 when the run completed; 1 when a count could not be read or\n"
         "the report could not be written; 2 for an argument it does not know.\n"
         "\n"
         "See megawhets(1).\n";
}

std::string version_text() { return program_version() + "\n" + build_description() + "\n"; }

std::string bad_argument_message(std::string_view argument) {
  const std::string what =
      !argument.empty() && argument.front() == '-' ? "unknown option" : "unexpected argument";
  return "megawhets: " + what + " '" + shown(argument) +
         "': the counts are asked for at the prompts or read from a pipe; see 'megawhets --help'\n";
}

} // namespace driver
