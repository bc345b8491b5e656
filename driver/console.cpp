#include "driver/console.h"

#include "driver/platform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace driver {

RuleStyle rule_style_for_standard_output() {
  if (standard_output_is_terminal() && character_locale_is_utf8()) {
    return RuleStyle::utf8;
  }
  return RuleStyle::code_page_437;
}

void write_output(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

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
  std::fprintf(stderr, "megawhets: cannot write the report to standard output: %s\n",
               cause != 0 ? std::strerror(cause) : "write error");
  return false;
}

} // namespace driver
