#include "platform/terminal.h"

#include <clocale>
#include <langinfo.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace platform {

bool is_terminal(std::FILE *stream) { return isatty(fileno(stream)) == 1; }

bool character_locale_is_utf8() {
  if (std::setlocale(LC_CTYPE, "") == nullptr) {
    return false;
  }
  const std::string codeset = nl_langinfo(CODESET);
  return codeset == "UTF-8" || codeset == "utf8";
}

bool write_to_console(std::FILE *, std::string_view) { return false; }

bool is_regular_file(std::FILE *stream) {
  struct stat status {};
  return fstat(fileno(stream), &status) == 0 && S_ISREG(status.st_mode);
}

void wait_for_reader(std::FILE *stream, std::chrono::milliseconds longest) {
  const int fd = fileno(stream);
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISFIFO(status.st_mode)) {
    return;
  }
  const auto give_up = std::chrono::steady_clock::now() + longest;
  int unread = 0;
  while (ioctl(fd, FIONREAD, &unread) == 0 && unread > 0 && std::chrono::steady_clock::now() < give_up) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  // A reader that has read the last bytes writes them out at once.
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

bool output_and_error_are_one_file() {
  struct stat output {};
  struct stat error {};
  return fstat(STDOUT_FILENO, &output) == 0 && fstat(STDERR_FILENO, &error) == 0 &&
         output.st_dev == error.st_dev && output.st_ino == error.st_ino;
}

} // namespace platform
