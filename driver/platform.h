#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// What the program needs to know of the system it runs on, kept apart from
// everything else so that each operating system has one file of its own.
namespace driver {

// A terminal on POSIX systems; a console on Windows (not a file, pipe or the
// NUL device, which Windows also counts as character devices).
bool is_terminal(std::FILE *stream);

// Whether the terminal shows UTF-8 text as the characters it encodes. On
// POSIX systems that is the character type locale, taken from the
// environment (and only that, so numbers keep their decimal point). A
// Windows console is always able to, because write_to_console hands it
// UTF-16, whatever its code page.
bool character_locale_is_utf8();

// Writes UTF-8 text to a Windows console as characters rather than bytes,
// after everything already in the stream's buffer. False, with nothing
// written, where the stream is not such a console (always, on POSIX
// systems, whose terminals take the bytes through the C stream).
bool write_to_console(std::FILE *stream, std::string_view utf8_text);

// Whether standard output and standard error reach the same file, pipe or
// terminal (as after 2>&1), so that what one writes lands among the other's.
bool output_and_error_are_one_file();

// Processor time used by the whole process so far, in seconds, and the
// smallest step in which that reading advances; not a number where the
// system cannot tell.
double processor_seconds();
double processor_clock_step();

struct Machine {
  std::string processor_model; // empty when the system does not say
  unsigned processors = 0;     // 0 when the system does not say
};

Machine this_machine();

struct OperatingSystem {
  std::string name;    // for example "Linux" or "Windows"
  std::string release; // the kernel's release, or Windows' version
};

OperatingSystem this_operating_system();

// A new file, created beside `path` (in the same directory, so that it can
// later take path's place in one step) under a name no other file has.
struct NewFile {
  std::FILE *stream = nullptr; // null when it could not be created
  std::string path{};
  std::string failure{}; // the system's reason, when it could not be created
};

NewFile create_file_beside(const std::string &path);

// Pushes what the stream holds to the file, and the file to its storage, so
// that it survives a crash of the system once it has its final name. False
// on failure, with the system's reason.
bool write_to_storage(std::FILE *stream, std::string &failure);

// Gives the file at `from` the name `to` in one step, replacing any file of
// that name, so that no reader ever sees a partial file there.
bool replace_file(const std::string &from, const std::string &to, std::string &failure);

// Until forgotten, an interrupt or termination request (SIGINT, SIGTERM or
// SIGHUP; Ctrl+C or Ctrl+Break on Windows) removes the file at `path` and
// ends the process with status 1, so that it leaves nothing half done.
void remove_on_interrupt(const std::string &path);
void forget_removal_on_interrupt();

} // namespace driver
