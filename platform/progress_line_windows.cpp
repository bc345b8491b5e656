#include "platform/progress_line.h"

#include "platform/terminal.h"

#include <cstdio>
#include <string>

namespace platform {
namespace {

// A console that does not take escape sequences (before Windows 10, or
// with them turned off) has a longer line before overwritten with spaces.
std::size_t shown_length = 0;

void write_line(const std::string &text) {
  if (!write_to_console(stderr, text)) {
    std::fwrite(text.data(), 1, text.size(), stderr);
  }
  std::fflush(stderr);
}

} // namespace

void show_progress(std::string_view line) {
  std::string text = "\r" + std::string(line);
  if (line.size() < shown_length) {
    text += std::string(shown_length - line.size(), ' ') + "\r" + std::string(line);
  }
  shown_length = line.size();
  write_line(text);
}

void clear_progress() {
  write_line("\r" + std::string(shown_length, ' ') + "\r");
  shown_length = 0;
}

} // namespace platform
