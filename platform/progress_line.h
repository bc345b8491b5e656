#pragma once

#include <string_view>

// One line on a terminal's standard error that a long command rewrites in
// place to say how far it has come, and clears once it is done. The caller
// writes it only where standard error is a terminal (is_terminal), and keeps
// it shorter than the terminal is wide, so that it never wraps.
namespace platform {

// Replaces the line shown before, if any, with this one (no line break).
void show_progress(std::string_view line);

// Leaves the terminal's line empty, with the cursor at its start, as it was
// before the first show_progress.
void clear_progress();

} // namespace platform
