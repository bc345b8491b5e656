#include "driver/platform.h"

#include "driver/cpuinfo.h"

#include <cerrno>
#include <chrono>
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
#include <poll.h>
#include <sched.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

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

namespace driver {
namespace {

int descriptor(std::intptr_t handle) { return static_cast<int>(handle); }

void close_if_open(std::intptr_t &handle) {
  if (handle >= 0) {
    close(descriptor(handle));
    handle = -1;
  }
}

// A channel to every copy needs a descriptor of its own; the usual soft
// limit of 1024 would stop a run of that many copies short.
void allow_descriptors(rlim_t needed) {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < needed) {
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY || limit.rlim_max > needed ? needed : limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

// However the run ends, even killed outright, its copies end with it.
void end_with(pid_t run) {
#if defined(__linux__)
  prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
  // The run may have ended before that took hold.
  if (getppid() != run) {
    _exit(1);
  }
}

} // namespace

bool start_copies(unsigned count, std::int32_t inner, std::int32_t outer, void (*copy)(const CopyLink &),
                  CopyProcesses &copies, std::string &failure) {
  allow_descriptors(2 * static_cast<rlim_t>(count) + 64);
  // The run keeps each gate's writing end, the copies its reading end.
  std::intptr_t gates[gates_per_run] = {-1, -1, -1, -1};
  for (int gate = 0; gate < gates_per_run; ++gate) {
    int ends[2];
    if (pipe(ends) != 0) {
      failure = reason();
      for (std::intptr_t &end : gates) {
        close_if_open(end);
      }
      stop_copies(copies);
      return false;
    }
    gates[gate] = ends[0];
    copies.gates[gate] = ends[1];
  }
  const pid_t run = getpid();
  // Nothing the run has buffered may be written again by a copy.
  std::fflush(nullptr);
  for (unsigned number = 1; number <= count && failure.empty(); ++number) {
    int channel[2];
    if (pipe(channel) != 0) {
      failure = reason();
      break;
    }
    const pid_t pid = fork();
    if (pid == 0) {
      end_with(run);
      close(channel[0]);
      for (const std::intptr_t from_copy : copies.from_copies) {
        close(descriptor(from_copy));
      }
      CopyLink link{.number = number, .inner = inner, .outer = outer, .to_run = channel[1]};
      for (int gate = 0; gate < gates_per_run; ++gate) {
        close(descriptor(copies.gates[gate]));
        link.gates[gate] = gates[gate];
      }
      copy(link);
      _exit(0);
    }
    if (pid < 0) {
      failure = reason();
      close(channel[0]);
    } else {
      copies.processes.push_back(pid);
      copies.from_copies.push_back(channel[0]);
    }
    close(channel[1]);
  }
  for (std::intptr_t &end : gates) {
    close_if_open(end);
  }
  if (!failure.empty()) {
    stop_copies(copies);
    return false;
  }
  return true;
}

std::optional<CopyLink> copy_link_in_arguments(int, const char *const *) { return std::nullopt; }

bool send_to_run(const CopyLink &link, const void *message, std::size_t size) {
  const auto *bytes = static_cast<const char *>(message);
  while (size > 0) {
    const ssize_t written = write(descriptor(link.to_run), bytes, size);
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return false;
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

namespace {

// Nothing is ever written to a gate: it opens when the run closes its end,
// which every copy waiting on it sees at the same moment.
bool wait_asleep(std::intptr_t gate) {
  char byte = 0;
  for (;;) {
    const ssize_t got = read(descriptor(gate), &byte, 1);
    if (got == 0) {
      return true;
    }
    if (got < 0 && errno == EINTR) {
      continue;
    }
    return false;
  }
}

// Watches without sleeping, for a while: the run opens this gate moments
// after the one before, and if it has not, this copy waits asleep.
void watch_awake(std::intptr_t gate) {
  pollfd watched{descriptor(gate), POLLIN, 0};
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (poll(&watched, 1, 0) == 0 && std::chrono::steady_clock::now() < give_up) {
  }
}

} // namespace

bool wait_at_gate(const CopyLink &link, int pass) {
  const std::intptr_t wake = link.gates[2 * (pass - 1)];
  const std::intptr_t start = link.gates[2 * (pass - 1) + 1];
  if (!wait_asleep(wake)) {
    return false;
  }
  watch_awake(start);
  return wait_asleep(start);
}

std::size_t receive_from_copies(CopyProcesses &copies, void *messages, std::size_t size) {
  const std::size_t count = copies.from_copies.size();
  std::vector<std::size_t> received(count, 0);
  std::vector<pollfd> waiting;
  for (;;) {
    waiting.clear();
    for (std::size_t copy = 0; copy < count; ++copy) {
      if (received[copy] < size) {
        waiting.push_back({descriptor(copies.from_copies[copy]), POLLIN, 0});
      }
    }
    if (waiting.empty()) {
      return count;
    }
    if (poll(waiting.data(), waiting.size(), -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      return 0;
    }
    for (std::size_t copy = 0, next = 0; copy < count; ++copy) {
      if (received[copy] == size || waiting[next++].revents == 0) {
        continue;
      }
      char *into = static_cast<char *>(messages) + copy * size + received[copy];
      const ssize_t got = read(descriptor(copies.from_copies[copy]), into, size - received[copy]);
      if (got < 0 && errno == EINTR) {
        continue;
      }
      if (got <= 0) {
        return copy;
      }
      received[copy] += static_cast<std::size_t>(got);
    }
  }
}

void open_gate(CopyProcesses &copies, int pass) {
  close_if_open(copies.gates[2 * (pass - 1)]);
  std::this_thread::sleep_for(copies_wake_time);
  close_if_open(copies.gates[2 * (pass - 1) + 1]);
}

std::string copy_ending(CopyProcesses &copies, std::size_t index) {
  int status = 0;
  const pid_t pid = static_cast<pid_t>(copies.processes[index]);
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  copies.processes[index] = -1;
  if (WIFSIGNALED(status)) {
    return "was killed by signal " + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) + ")";
  }
  return "ended with status " + std::to_string(WEXITSTATUS(status));
}

namespace {

bool wait_for_all(CopyProcesses &copies) {
  bool clean = true;
  for (std::intptr_t &process : copies.processes) {
    if (process < 0) {
      continue;
    }
    int status = 0;
    while (waitpid(static_cast<pid_t>(process), &status, 0) < 0 && errno == EINTR) {
    }
    clean = clean && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    process = -1;
  }
  for (std::intptr_t &channel : copies.from_copies) {
    close_if_open(channel);
  }
  for (std::intptr_t &gate : copies.gates) {
    close_if_open(gate);
  }
  return clean;
}

} // namespace

void stop_copies(CopyProcesses &copies) {
  for (const std::intptr_t process : copies.processes) {
    if (process >= 0) {
      kill(static_cast<pid_t>(process), SIGKILL);
    }
  }
  wait_for_all(copies);
}

bool wait_for_copies(CopyProcesses &copies) { return wait_for_all(copies); }

ProcessorLimits this_process_processor_limits() {
  ProcessorLimits limits;
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
    limits.allowed_by_affinity = static_cast<unsigned>(CPU_COUNT(&allowed));
  } else {
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    limits.allowed_by_affinity = online > 0 ? static_cast<unsigned>(online) : 0U;
  }
  // Each line of /proc/self/cgroup is "id:controllers:path"; cgroup v2 has
  // the one line "0::path".
  std::istringstream groups(whole_file("/proc/self/cgroup"));
  for (std::string line; std::getline(groups, line);) {
    const auto first = line.find(':');
    const auto second = line.find(':', first + 1);
    if (first == std::string::npos || second == std::string::npos) {
      continue;
    }
    const std::string controllers = line.substr(first + 1, second - first - 1);
    std::filesystem::path path = line.substr(second + 1);
    if (controllers.empty()) {
      for (;; path = path.parent_path()) {
        limits.cpu_max.push_back(whole_file(("/sys/fs/cgroup" / path.relative_path() / "cpu.max").c_str()));
        if (path == path.root_path() || path.empty()) {
          break;
        }
      }
    } else if (("," + controllers + ",").find(",cpu,") != std::string::npos) {
      for (const char *mount : {"/sys/fs/cgroup/cpu,cpuacct", "/sys/fs/cgroup/cpu"}) {
        const std::filesystem::path group = mount / path.relative_path();
        if (limits.cfs_quota_us.empty()) {
          limits.cfs_quota_us = whole_file((group / "cpu.cfs_quota_us").c_str());
          limits.cfs_period_us = whole_file((group / "cpu.cfs_period_us").c_str());
        }
      }
    }
  }
  return limits;
}

} // namespace driver
