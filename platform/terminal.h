#pragma once

#include <chrono>
#include <cstdio>
#include <string_view>

// What the program needs to know of where its two streams lead: a terminal
// or console, a file or a pipe, and whether both lead to the same place.
namespace platform {

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

// Whether the stream leads to a regular file on disk (not a terminal, pipe
// or device).
bool is_regular_file(std::FILE *stream);

// Waits until whatever reads the stream's pipe has read all it holds, and
// a moment more for it to show what it read, but no longer than `longest`;
// returns at once where the stream is not a pipe or the system cannot tell.
void wait_for_reader(std::FILE *stream, std::chrono::milliseconds longest);

// Whether standard output and standard error reach the same file, pipe or
// terminal (as after 2>&1), so that what one writes lands among the other's.
bool output_and_error_are_one_file();

} // namespace platform
