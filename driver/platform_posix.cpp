#include "driver/platform.h"

#include <clocale>
#include <langinfo.h>
#include <unistd.h>

namespace driver {

bool standard_output_is_terminal() { return isatty(STDOUT_FILENO) == 1; }

bool character_locale_is_utf8() {
  if (std::setlocale(LC_CTYPE, "") == nullptr) {
    return false;
  }
  const std::string codeset = nl_langinfo(CODESET);
  return codeset == "UTF-8" || codeset == "utf8";
}

bool write_to_console(std::string_view) { return false; }

} // namespace driver
