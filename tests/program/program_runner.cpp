#include "program_runner.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <fcntl.h>
#include <iterator>
#include <optional>
#include <poll.h>
#include <pty.h>
#include <sched.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace program_runner {
namespace {

// How long the runner waits on a program that shows no sign of life before it
// gives up. A program at work, however busy the machine and however slow the
// emulator, either writes or uses the processor; one that waits for input
// that will never come does neither. So the wait is measured from the last
// output or the last tick of processor time, never from the start: a run
// that computes for minutes is waited for, a hang is caught within a minute.
constexpr int idle_limit_ms = 60000;
constexpr int poll_slice_ms = 1000;

// A cross-built program runs under the emulator that runs these tests, found
// on PATH as ctest finds it.
#ifdef MEGAWHETS_EMULATOR
constexpr const char *command[] = {MEGAWHETS_EMULATOR, MEGAWHETS_PATH};
#else
constexpr const char *command[] = {MEGAWHETS_PATH};
#endif

[[noreturn]] void exec_program(const Environment &environment,
                               const std::vector<std::string> &arguments = {}) {
  // An ignored SIGPIPE would survive exec; the program must meet a closed
  // pipe as it would from a shell.
  std::signal(SIGPIPE, SIG_DFL);
  for (const std::string &name : environment.unset) {
    unsetenv(name.c_str());
  }
  for (const std::string &assignment : environment.set) {
    const auto equals = assignment.find('=');
    setenv(assignment.substr(0, equals).c_str(), assignment.substr(equals + 1).c_str(), 1);
  }
  std::vector<const char *> words(std::begin(command), std::end(command));
  for (const std::string &argument : arguments) {
    words.push_back(argument.c_str());
  }
  words.push_back(nullptr);
  // exec takes its arguments as non-const only for compatibility; it does not
  // change them.
  execvp(words[0], const_cast<char *const *>(words.data()));
  _exit(127);
}

int wait_for_exit(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A program that gives up before reading all its input (on an unwritable
// report, say) closes its end first; what it printed is still the outcome, so
// a closed pipe ends the writing instead of killing the test with SIGPIPE.
void write_all(int fd, const std::string &bytes) {
  static const bool sigpipe_ignored = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
  (void)sigpipe_ignored;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0 && errno == EPIPE) {
      return;
    }
    if (n <= 0) {
      throw std::runtime_error("cannot write to the program");
    }
    done += static_cast<std::size_t>(n);
  }
}

// Reads what is available on `fd` into `into`; false at end of file (or, for
// a pseudo-terminal, when the other side has closed it).
bool read_some(int fd, std::string &into) {
  char buffer[4096];
  const ssize_t n = read(fd, buffer, sizeof buffer);
  if (n > 0) {
    into.append(buffer, static_cast<std::size_t>(n));
    return true;
  }
  return n < 0 && errno == EINTR;
}

} // namespace

std::optional<std::string> process_file(const std::string &pid, const char *name) {
  const int file = open(("/proc/" + pid + "/" + name).c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0) {
    return std::nullopt;
  }
  std::string text;
  bool whole = true;
  for (;;) {
    char buffer[4096];
    const ssize_t n = read(file, buffer, sizeof buffer);
    if (n > 0) {
      text.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      whole = false;
      break;
    }
  }
  close(file);
  return whole ? std::optional<std::string>(std::move(text)) : std::nullopt;
}

long long processor_ticks(int process) {
  const auto stat = process_file(std::to_string(process), "stat");
  if (!stat || stat->rfind(')') == std::string::npos) {
    return -1;
  }
  // After the command's name, in parentheses, come the state (field 3) and
  // numbers; utime, stime, cutime and cstime are fields 14 to 17.
  std::istringstream fields(stat->substr(stat->rfind(')') + 1));
  std::string field;
  long long ticks = 0;
  for (int number = 3; number <= 17 && fields >> field; ++number) {
    if (number >= 14) {
      ticks += std::stoll(field);
    }
  }
  return ticks;
}

namespace {

// Waits for `fds` to have something to read; throws once `process` has gone
// idle_limit_ms without writing or computing.
class IdleWatch {
public:
  explicit IdleWatch(pid_t process) : process_(process), ticks_(processor_ticks(process)) {}

  void wait(pollfd *fds, nfds_t count) {
    int idle_ms = 0;
    while (poll(fds, count, poll_slice_ms) == 0) {
      const long long ticks = processor_ticks(process_);
      if (ticks != ticks_) {
        ticks_ = ticks;
        idle_ms = 0;
      } else if ((idle_ms += poll_slice_ms) >= idle_limit_ms) {
        throw std::runtime_error("the program neither wrote nor computed for " +
                                 std::to_string(idle_limit_ms / 1000) + " seconds");
      }
    }
  }

private:
  pid_t process_;
  long long ticks_;
};

// `written` is told of what has arrived so far after every read.
template <class Written>
void read_until_closed(pid_t child, int out_fd, std::string &out, int err_fd, std::string &err, Written written) {
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string *sinks[2] = {&out, &err};
  int open_count = err_fd >= 0 ? 2 : 1;
  IdleWatch watch(child);
  while (open_count > 0) {
    watch.wait(fds, 2);
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd >= 0 && fds[i].revents != 0 && !read_some(fds[i].fd, *sinks[i])) {
        fds[i].fd = -1;
        --open_count;
      }
    }
    written(out, err);
  }
}

std::string from_text_mode(const std::string &text) {
  if (!text.empty() && text[0] == '\n') {
    return text;
  }
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // A CR exactly before each LF: a lone CR, or a LF after anything else, is
    // caught at the byte before the LF.
    const bool carriage_return = text[i] == '\r';
    const bool line_break_follows = i + 1 < text.size() && text[i + 1] == '\n';
    if (carriage_return != line_break_follows) {
      return text;
    }
    if (!carriage_return) {
      lines += text[i];
    }
  }
  return lines;
}

// The first processor this process may run on.
int first_allowed_processor() {
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) {
    throw std::runtime_error("cannot read the processor affinity");
  }
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (CPU_ISSET(cpu, &allowed)) {
      return cpu;
    }
  }
  throw std::runtime_error("no processor is allowed");
}

void hold_to_processor(int cpu) {
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(cpu, &one);
  if (sched_setaffinity(0, sizeof one, &one) != 0) {
    _exit(126);
  }
}

// A child that computes, on processor `cpu` only, for as long as this
// object lives, however the test ends.
class BusyProcess {
public:
  explicit BusyProcess(int cpu) : pid_(fork()) {
    if (pid_ == 0) {
      hold_to_processor(cpu);
      volatile unsigned spin = 0;
      for (;;) {
        spin = spin + 1;
      }
    }
  }
  ~BusyProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      wait_for_exit(pid_);
    }
  }
  BusyProcess(const BusyProcess &) = delete;
  BusyProcess &operator=(const BusyProcess &) = delete;

private:
  pid_t pid_;
};

void redirect(const std::string &path, int flags, int target) {
  const int file = open(path.c_str(), flags);
  if (file < 0) {
    _exit(126);
  }
  dup2(file, target);
  close(file);
}

} // namespace

std::vector<int> child_processes(int pid) {
  std::vector<int> children;
  for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    const auto stat = process_file(name, "stat");
    // "pid (name) state ppid ...": the name may hold spaces and parentheses.
    const auto after_name = stat ? stat->rfind(')') : std::string::npos;
    char state = 0;
    int parent = 0;
    if (after_name != std::string::npos &&
        std::sscanf(stat->c_str() + after_name + 1, " %c %d", &state, &parent) == 2 && parent == pid &&
        state != 'Z') {
      children.push_back(std::stoi(name));
    }
  }
  return children;
}

Outcome run_program(const Invocation &invocation) {
  // Started before the pipes exist, so that it holds none of their ends open.
  const int cpu = invocation.beside_busy_process ? first_allowed_processor() : -1;
  std::optional<BusyProcess> busy;
  if (cpu >= 0) {
    busy.emplace(cpu);
  }
  int in[2], out[2], err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) {
    throw std::runtime_error("cannot make pipes");
  }
  const pid_t child = fork();
  if (child == 0) {
    dup2(in[0], STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    dup2(invocation.error_into_output ? out[1] : err[1], STDERR_FILENO);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
      close(fd);
    }
    if (!invocation.input_path.empty()) {
      redirect(invocation.input_path, O_RDONLY, STDIN_FILENO);
    }
    if (!invocation.output_path.empty()) {
      redirect(invocation.output_path, O_WRONLY, STDOUT_FILENO);
    }
    if (cpu >= 0 || invocation.on_one_processor) {
      hold_to_processor(cpu >= 0 ? cpu : first_allowed_processor());
    }
    exec_program(invocation.environment, invocation.arguments);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  write_all(in[1], invocation.input);
  close(in[1]);
  Outcome outcome;
  const std::string &marker = invocation.once_written;
  bool acted = false;
  read_until_closed(child, out[0], outcome.out, err[0], outcome.err, [&](const std::string &out, const std::string &err) {
    if (!marker.empty() && !acted &&
        (out.find(marker) != std::string::npos || err.find(marker) != std::string::npos)) {
      invocation.then(child);
      acted = true;
    }
  });
  close(out[0]);
  close(err[0]);
  outcome.exit_status = wait_for_exit(child);
  if (windows_program) {
    outcome.out = from_text_mode(outcome.out);
    outcome.err = from_text_mode(outcome.err);
  }
  return outcome;
}

TerminalOutcome run_on_terminal(const TerminalSession &session) {
  int out[2] = {-1, -1};
  if (session.output_through_pipe && pipe(out) != 0) {
    throw std::runtime_error("cannot make a pipe");
  }
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child < 0) {
    throw std::runtime_error("cannot open a pseudo-terminal");
  }
  if (child == 0) {
    if (out[1] >= 0) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
    }
    exec_program(session.environment, session.arguments);
  }
  if (out[1] >= 0) {
    close(out[1]);
  }
  TerminalOutcome outcome;
  bool typed = false;
  bool acted = false;
  const auto shown = [](const std::string &text, const std::string &piped, const std::string &wanted) {
    return text.find(wanted) != std::string::npos || piped.find(wanted) != std::string::npos;
  };
  read_until_closed(child, terminal, outcome.all, out[0], outcome.out,
                    [&](const std::string &all, const std::string &piped) {
                      if (!typed && shown(all, piped, session.first_prompt)) {
                        outcome.before_input = all + piped;
                        write_all(terminal, session.input);
                        typed = true;
                      }
                      if (typed && !acted && !session.once_shown.empty() && shown(all, piped, session.once_shown)) {
                        write_all(terminal, session.then_typed);
                        acted = true;
                      }
                    });
  close(terminal);
  if (out[0] >= 0) {
    close(out[0]);
  }
  outcome.exit_status = wait_for_exit(child);
  return outcome;
}

} // namespace program_runner
