#pragma once

#include <string>

// What an interrupted run leaves behind: nothing half done.
namespace platform {

// Until forgotten, an interrupt or termination request (SIGINT, SIGTERM or
// SIGHUP; Ctrl+C or Ctrl+Break on Windows) removes the file at `path` and
// ends the process with status 1, so that it leaves nothing half done.
void remove_on_interrupt(const std::string &path);
void forget_removal_on_interrupt();

} // namespace platform
