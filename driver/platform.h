#pragma once

#include <string>
#include <string_view>

// What the program needs to know of the system it runs on, kept apart from
// everything else so that each operating system has one file of its own.
namespace driver {

// A terminal on POSIX systems; a console on Windows (not a file, pipe or the
// NUL device, which Windows also counts as character devices).
bool standard_output_is_terminal();

// Whether the terminal shows UTF-8 text as the characters it encodes. On
// POSIX systems that is the character type locale, taken from the
// environment (and only that, so numbers keep their decimal point). A
// Windows console is always able to, because write_to_console hands it
// UTF-16, whatever its code page.
bool character_locale_is_utf8();

// Writes UTF-8 text to a Windows console as characters rather than bytes,
// after everything already in standard output's buffer. False, with nothing
// written, where standard output is not such a console (always, on POSIX
// systems, whose terminals take the bytes through the C stream).
bool write_to_console(std::string_view utf8_text);

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

} // namespace driver
