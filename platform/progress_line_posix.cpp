#include "platform/progress_line.h"

#include <cstdio>
#include <string>

namespace platform {

// A carriage return goes back to the line's start, and "erase to the end of
// the line" (ECMA-48's EL, which every terminal of the last forty years
// knows) takes whatever a longer line before left.
void show_progress(std::string_view line) {
  const std::string text = "\r" + std::string(line) + "\x1b[K";
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

void clear_progress() {
  std::fputs("\r\x1b[K", stderr);
  std::fflush(stderr);
}

} // namespace platform
