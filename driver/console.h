#pragma once

#include "report/report.h"

#include <string_view>

// The two streams a run writes to. The report (the prompts, the passes, the
// comparison) goes to standard output unless a record of the run takes that
// place, and messages go to standard error.
namespace driver {

// From now on the report goes to standard error, beside the messages.
void send_report_to_standard_error();

// How the rule line should be written for wherever the report goes: UTF-8
// for a terminal that shows it (see character_locale_is_utf8), raw bytes
// otherwise (files and pipes get exactly the bytes, whatever the locale).
report::RuleStyle rule_style_for_report();

void write_output(std::string_view text);

// The rule line in the given style. A Windows console is handed characters,
// so it shows the double line whatever its code page.
void write_rule_line(report::RuleStyle style);

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

// Writes text that is not the report (a run's record) to standard output and
// pushes it out. False, with the reason on standard error, on failure.
bool write_to_standard_output(std::string_view text, const char *what);

// A command's table: on standard output, unless an output given as - (a
// page, a JSON document) takes that place, when the table goes to standard
// error beside the messages, as the run's report does under --json -. False,
// with the reason on standard error, when standard output failed.
bool write_table(std::string_view text, bool output_taken, const char *what);

// Writes to standard error, after what the report has written so far.
// The text starts on a line of its own where it would otherwise land on the
// report's unfinished line: where both reach the same file or pipe, and
// where standard error is a terminal that may show the report too (unless
// the report goes to a regular file).
void write_error(std::string_view text);

} // namespace driver
