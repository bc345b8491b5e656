#include "driver/console.h"

#include "driver/platform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace driver {
namespace {

// Nothing written yet counts as a line ended: no break is owed before the
// first text.
bool output_line_ended = true;

} // namespace

RuleStyle rule_style_for_standard_output() {
  if (standard_output_is_terminal() && character_locale_is_utf8()) {
    return RuleStyle::utf8;
  }
  return RuleStyle::code_page_437;
}

bool leaves_line_ended(bool ended_before, std::string_view written) {
  const auto last = written.find_last_not_of('\a');
  return last == std::string_view::npos ? ended_before : written[last] == '\n';
}

void write_output(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  output_line_ended = leaves_line_ended(output_line_ended, text);
}

void write_rule_line(RuleStyle style) {
  const std::string line = rule_line(style);
  if (style == RuleStyle::utf8 && write_to_console(line)) {
    return;
  }
  write_output(line);
}

bool flush_output() {
  errno = 0;
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) {
    return true;
  }
  const int cause = errno;
  write_error(std::string("megawhets: cannot write the report to standard output: ") +
              (cause != 0 ? std::strerror(cause) : "write error") + "\n");
  return false;
}

void end_output_line_on_terminal() {
  if (!output_line_ended && standard_output_is_terminal()) {
    write_output("\n");
    std::fflush(stdout);
  }
}

void write_error(std::string_view text) {
  // Whatever standard output still holds goes first, so that on a shared
  // file the two streams keep the order in which they were written.
  std::fflush(stdout);
  if (!output_line_ended && output_and_error_are_one_file()) {
    std::fputc('\n', stderr);
  }
  std::fwrite(text.data(), 1, text.size(), stderr);
}

} // namespace driver
