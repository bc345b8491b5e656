#include "driver/console.h"

#include "platform/terminal.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace driver {
namespace {

std::FILE *report_stream = stdout;

// Nothing written yet counts as a line ended: no break is owed before the
// first text.
bool output_line_ended = true;

bool report_shares_error_stream() { return report_stream == stderr || platform::output_and_error_are_one_file(); }

// Text on a terminal that follows an unfinished line of the report lands on
// that line, whichever way the report reached the terminal: directly, or
// through a pipe to tee or a pager. Only a report kept in a regular file is
// sure not to be shown there.
bool report_may_share_the_terminal() {
  return platform::is_terminal(stderr) && !platform::is_regular_file(report_stream);
}

// False, with the reason on standard error, if anything written to the
// stream so far failed to arrive.
bool flushed(std::FILE *stream, const char *what) {
  errno = 0;
  if (std::fflush(stream) == 0 && std::ferror(stream) == 0) {
    return true;
  }
  const int cause = errno;
  const char *where = stream == stdout ? "standard output" : "standard error";
  write_error(std::string("megawhets: cannot write ") + what + " to " + where + ": " +
              (cause != 0 ? std::strerror(cause) : "write error") + "\n");
  return false;
}

} // namespace

void send_report_to_standard_error() { report_stream = stderr; }

report::RuleStyle rule_style_for_report() {
  if (platform::is_terminal(report_stream) && platform::character_locale_is_utf8()) {
    return report::RuleStyle::utf8;
  }
  return report::RuleStyle::code_page_437;
}

bool leaves_line_ended(bool ended_before, std::string_view written) {
  const auto last = written.find_last_not_of('\a');
  return last == std::string_view::npos ? ended_before : written[last] == '\n';
}

void write_output(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), report_stream);
  output_line_ended = leaves_line_ended(output_line_ended, text);
}

void write_rule_line(report::RuleStyle style) {
  const std::string line = report::rule_line(style);
  if (style == report::RuleStyle::utf8 && platform::write_to_console(report_stream, line)) {
    return;
  }
  write_output(line);
}

bool flush_output() { return flushed(report_stream, "the report"); }

bool write_to_standard_output(std::string_view text, const char *what) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  return flushed(stdout, what);
}

bool write_table(std::string_view text, bool output_taken, const char *what) {
  if (output_taken) {
    write_error(text);
    return true;
  }
  return write_to_standard_output(text, what);
}

void end_output_line_on_terminal() {
  if (!output_line_ended && platform::is_terminal(report_stream)) {
    write_output("\n");
    std::fflush(report_stream);
  }
}

void write_error(std::string_view text) {
  // Whatever the report still holds goes first, so that on a shared file the
  // two streams keep the order in which they were written.
  std::fflush(report_stream);
  std::string written;
  if (!output_line_ended && report_shares_error_stream()) {
    written = "\n";
  } else if (!output_line_ended && report_may_share_the_terminal()) {
    // The report reaches the terminal through another program (tee, a
    // pager), which may not have shown its last line yet: the text waits
    // for it, so that it follows that line rather than cutting into it.
    platform::wait_for_reader(report_stream, std::chrono::milliseconds(500));
    written = "\n";
  }
  output_line_ended = output_line_ended || !written.empty();
  // One write, so that nothing else the terminal shows lands between the
  // line break and the text.
  written += text;
  std::fwrite(written.data(), 1, written.size(), stderr);
}

} // namespace driver
