#pragma once

#include <string>

// What the program needs to know of the system it runs on, kept apart from
// everything else so that each operating system has one file of its own.
namespace driver {

bool standard_output_is_terminal();

// Takes the character type locale from the environment (and only that, so
// numbers keep their decimal point) and says whether it encodes UTF-8.
bool character_locale_is_utf8();

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
