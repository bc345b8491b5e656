#include "driver/platform.h"

#include "driver/cpuinfo.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <langinfo.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>
#include <vector>

namespace driver {
namespace {

double seconds(const timespec &time) { return static_cast<double>(time.tv_sec) + time.tv_nsec * 1e-9; }

std::string whole_file(const char *path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string reason() { return std::strerror(errno); }

// The directory entry that names a file is written to storage only when the
// directory itself is; without this a crash could lose a rename.
void sync_directory_of(const std::string &path) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  const std::string directory = parent.empty() ? std::string(".") : parent.string();
  const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

const int interrupting_signals[] = {SIGINT, SIGTERM, SIGHUP};

// Read by the signal handler: set before the handlers are installed and
// cleared only after they are gone.
char *volatile path_to_remove = nullptr;

extern "C" void remove_and_exit(int) {
  if (path_to_remove != nullptr) {
    unlink(path_to_remove);
  }
  _exit(1);
}

} // namespace

bool is_terminal(std::FILE *stream) { return isatty(fileno(stream)) == 1; }

bool character_locale_is_utf8() {
  if (std::setlocale(LC_CTYPE, "") == nullptr) {
    return false;
  }
  const std::string codeset = nl_langinfo(CODESET);
  return codeset == "UTF-8" || codeset == "utf8";
}

bool write_to_console(std::FILE *, std::string_view) { return false; }

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

namespace driver {

OperatingSystem this_operating_system() {
  utsname names{};
  if (uname(&names) != 0) {
    return {};
  }
  return {names.sysname, names.release};
}

NewFile create_file_beside(const std::string &path) {
  const std::string pattern = path + ".tmp-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    return {.failure = reason()};
  }
  // mkstemp lets only the owner read the file; the record is made readable
  // as any new file of the user's would be.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  std::FILE *stream = fdopen(fd, "wb");
  if (stream == nullptr) {
    const std::string failure = reason();
    close(fd);
    unlink(name.data());
    return {.failure = failure};
  }
  return {.stream = stream, .path = name.data()};
}

bool write_to_storage(std::FILE *stream, std::string &failure) {
  errno = 0;
  if (std::fflush(stream) != 0 || std::ferror(stream) != 0 || fsync(fileno(stream)) != 0) {
    failure = errno != 0 ? reason() : "write error";
    return false;
  }
  return true;
}

bool replace_file(const std::string &from, const std::string &to, std::string &failure) {
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    failure = reason();
    return false;
  }
  sync_directory_of(to);
  return true;
}

void remove_on_interrupt(const std::string &path) {
  static std::string kept;
  kept = path;
  path_to_remove = kept.data();
  for (const int signal : interrupting_signals) {
    struct sigaction current {};
    // A signal the caller chose to ignore (nohup, a background job) stays
    // ignored.
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
      continue;
    }
    struct sigaction action {};
    action.sa_handler = remove_and_exit;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
  }
}

void forget_removal_on_interrupt() {
  for (const int signal : interrupting_signals) {
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == remove_and_exit) {
      std::signal(signal, SIG_DFL);
    }
  }
  path_to_remove = nullptr;
}

} // namespace driver
