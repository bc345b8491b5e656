#include "driver/console.h"

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <langinfo.h>
#include <string>
#include <unistd.h>

namespace driver {
namespace {

bool character_locale_is_utf8() {
  // Only the character type category is taken from the environment; numbers
  // keep the C locale's decimal point.
  if (std::setlocale(LC_CTYPE, "") == nullptr) {
    return false;
  }
  const std::string codeset = nl_langinfo(CODESET);
  return codeset == "UTF-8" || codeset == "utf8";
}

} // namespace

RuleStyle rule_style_for_standard_output() {
  if (isatty(STDOUT_FILENO) == 1 && character_locale_is_utf8()) {
    return RuleStyle::utf8;
  }
  return RuleStyle::code_page_437;
}

void write_output(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

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
