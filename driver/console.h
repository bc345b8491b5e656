#pragma once

#include "driver/report.h"

#include <string_view>

namespace driver {

// How the rule line should be written for whatever standard output is now:
// UTF-8 for a terminal that shows it (see character_locale_is_utf8), raw
// bytes otherwise (files and pipes get exactly the bytes, whatever the
// locale).
RuleStyle rule_style_for_standard_output();

void write_output(std::string_view text);

// The rule line in the given style. A Windows console is handed characters,
// so it shows the double line whatever its code page.
void write_rule_line(RuleStyle style);

// Pushes everything written so far out of the buffer. False if any of the
// report could not be written, now or earlier; the message for that case has
// then been written to standard error.
bool flush_output();

// Whether text that followed `written` would start on a line of its own,
// given whether it would have before. A bell moves nothing, so the report's
// closing "\n\n\a" leaves the line ended.
bool leaves_line_ended(bool ended_before, std::string_view written);

// A terminal's user gets the shell's prompt on a line of its own; files and
// pipes keep the report's exact bytes. Called once, as the run ends.
void end_output_line_on_terminal();

// Writes to standard error, after what standard output has written so far.
// Where both reach the same file or pipe, the text starts on a line of its
// own.
void write_error(std::string_view text);

} // namespace driver
