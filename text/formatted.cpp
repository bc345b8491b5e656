#include "text/formatted.h"

#include <cstdarg>
#include <cstdio>

namespace text {

std::string formatted(const char *format, ...) {
  std::va_list args;
  va_start(args, format);
  std::va_list measuring;
  va_copy(measuring, args);
  const int length = std::vsnprintf(nullptr, 0, format, measuring);
  va_end(measuring);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0U, '\0');
  if (length > 0) {
    std::vsnprintf(text.data(), text.size() + 1, format, args);
  }
  va_end(args);
  return text;
}

std::string with_thousands(std::size_t count) {
  const std::string digits = std::to_string(count);
  std::string grouped;
  for (std::size_t at = 0; at < digits.size(); ++at) {
    if (at > 0 && (digits.size() - at) % 3 == 0) {
      grouped += ',';
    }
    grouped += digits[at];
  }
  return grouped;
}

} // namespace text
