#pragma once

#include <string>

// What an interrupted run leaves behind: nothing half done.
namespace platform {

// Until forgotten, an interrupt or termination request (SIGINT, SIGTERM or
// SIGHUP; Ctrl+C or Ctrl+Break on Windows) removes the file at `path`,
// writes the note last given to note_on_interrupt to standard error, and
// ends the process with status 1, so that it leaves nothing half done and
// says so.
void remove_on_interrupt(const std::string &path);
void forget_removal_on_interrupt();

// The text an interrupt writes from now on, or none for null. The handler
// reads it where it stands, so it must stay unchanged until replaced or
// forgotten.
void note_on_interrupt(const char *text);

// For a command that must end what it started and still say what it had:
// from now on the first interrupt or termination request is only noted,
// for interrupt_requested to tell, and the command answers it when it
// chooses; a file named to remove_on_interrupt is then left to its owner
// to remove. A second request is answered as above, at once.
void defer_interrupts();
bool interrupt_requested();

} // namespace platform
