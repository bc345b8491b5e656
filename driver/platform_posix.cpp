#include "driver/platform.h"

#include "driver/cpuinfo.h"

#include <clocale>
#include <cmath>
#include <ctime>
#include <fstream>
#include <iterator>
#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>

namespace driver {
namespace {

double seconds(const timespec &time) { return static_cast<double>(time.tv_sec) + time.tv_nsec * 1e-9; }

std::string whole_file(const char *path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

bool standard_output_is_terminal() { return isatty(STDOUT_FILENO) == 1; }

bool character_locale_is_utf8() {
  if (std::setlocale(LC_CTYPE, "") == nullptr) {
    return false;
  }
  const std::string codeset = nl_langinfo(CODESET);
  return codeset == "UTF-8" || codeset == "utf8";
}

bool write_to_console(std::string_view) { return false; }

bool output_and_error_are_one_file() {
  struct stat output {};
  struct stat error {};
  return fstat(STDOUT_FILENO, &output) == 0 && fstat(STDERR_FILENO, &error) == 0 &&
         output.st_dev == error.st_dev && output.st_ino == error.st_ino;
}

// Not a number where the clock cannot be read, so that no pass is judged on
// a reading that was never taken.
double processor_seconds() {
  timespec now{};
  return clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now) == 0 ? seconds(now) : std::nan("");
}

double processor_clock_step() {
  timespec step{};
  return clock_getres(CLOCK_PROCESS_CPUTIME_ID, &step) == 0 ? seconds(step) : std::nan("");
}

Machine this_machine() {
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  return {.processor_model = processor_model_in_cpuinfo(whole_file("/proc/cpuinfo")),
          .processors = online > 0 ? static_cast<unsigned>(online) : 0U};
}

} // namespace driver
