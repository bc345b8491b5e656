#include "platform/programs.h"

#include "platform/posix_common.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__linux__)
#include <sched.h>
#include <sys/prctl.h>
#endif

namespace platform {
namespace {

// The reason a path cannot be started, or empty.
std::string start_problem(const std::string &path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) {
    return errno == ENOENT || errno == ENOTDIR ? "does not exist" : std::strerror(errno);
  }
  if (S_ISDIR(status.st_mode)) {
    return "is a directory";
  }
  if (!S_ISREG(status.st_mode) || access(path.c_str(), X_OK) != 0) {
    return "is not executable";
  }
  return {};
}

// Writes to a program that has stopped reading fail with EPIPE rather than
// end this process; each program gets the usual SIGPIPE back before it
// starts.
void ignore_broken_pipes() {
  static const bool ignored = [] {
    std::signal(SIGPIPE, SIG_IGN);
    return true;
  }();
  (void)ignored;
}

// What a program leaves behind when it ends (a wrapper script's sleep) is
// handed to this process rather than to init, so that it is reaped as its
// group is ended: an init that reaps nothing, as a container's may be,
// would leave it a zombie, and its group would never empty.
void adopt_orphans() {
#if defined(__linux__)
  static const bool adopted = [] {
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    return true;
  }();
  (void)adopted;
#endif
}

// In the child, between fork and exec: only calls that are safe there.
[[noreturn]] void become_program(const char *path, char *const *argv, std::optional<unsigned> processor,
                                 pid_t parent, const int (&ends)[3][2], int report) {
#if defined(__linux__)
  prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
  if (getppid() != parent) {
    _exit(127);
  }
  // A process group of its own: the terminal's Ctrl+C reaches only the
  // parent, which ends its programs itself and then says what they gave.
  setpgid(0, 0);
  struct sigaction usual {};
  usual.sa_handler = SIG_DFL;
  sigemptyset(&usual.sa_mask);
  sigaction(SIGPIPE, &usual, nullptr);
  int error = 0;
#if defined(__linux__)
  if (processor) {
    cpu_set_t only;
    CPU_ZERO(&only);
    CPU_SET(*processor, &only);
    if (sched_setaffinity(0, sizeof only, &only) != 0) {
      error = errno;
    }
  }
#else
  (void)processor;
#endif
  if (error == 0 && (dup2(ends[0][0], STDIN_FILENO) < 0 || dup2(ends[1][1], STDOUT_FILENO) < 0 ||
                     dup2(ends[2][1], STDERR_FILENO) < 0)) {
    error = errno;
  }
  if (error == 0) {
    for (const auto &pair : ends) {
      for (const int end : pair) {
        if (end > STDERR_FILENO) {
          close(end);
        }
      }
    }
    execv(path, argv);
    error = errno;
  }
  // The parent reads why through the report pipe, which exec would have
  // closed.
  while (write(report, &error, sizeof error) < 0 && errno == EINTR) {
  }
  _exit(127);
}

// Whether the program itself ended within `longest`; it is left unreaped,
// so that its process group's number cannot pass to another process yet.
bool leader_ended_within(pid_t pid, std::chrono::milliseconds longest) {
  const auto give_up = std::chrono::steady_clock::now() + longest;
  for (;;) {
    siginfo_t info{};
    const int waited = waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
    if (waited < 0 && errno != EINTR) {
      return true;
    }
    if (waited == 0 && info.si_pid == pid) {
      return true;
    }
    if (std::chrono::steady_clock::now() >= give_up) {
      return false;
    }
    usleep(1000);
  }
}

// What the program started in its group (a wrapper script's real program,
// a sleep) is gone before the next round starts on the same processor.
// Those processes are not this one's children: their end is seen by the
// group emptying once its leader is reaped, for at most a second.
void wait_for_group_to_empty(pid_t group) {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  for (;;) {
    while (waitpid(-group, nullptr, WNOHANG) > 0) {
    }
    if (kill(-group, 0) != 0 || std::chrono::steady_clock::now() >= give_up) {
      return;
    }
    usleep(1000);
  }
}

} // namespace

FoundProgram find_program(const std::string &name) {
  if (name.empty()) {
    return {.problem = "is an empty name"};
  }
  if (name.find('/') != std::string::npos) {
    const std::string problem = start_problem(name);
    return problem.empty() ? FoundProgram{.path = name} : FoundProgram{.problem = problem};
  }
  const char *search = std::getenv("PATH");
  const std::string directories = search != nullptr ? search : "/usr/bin:/bin";
  for (std::size_t start = 0; start <= directories.size();) {
    const std::size_t colon = std::min(directories.find(':', start), directories.size());
    const std::string directory = directories.substr(start, colon - start);
    const std::string path = (directory.empty() ? "." : directory) + "/" + name;
    if (start_problem(path).empty()) {
      return {.path = path};
    }
    start = colon + 1;
  }
  return {.problem = "is not on PATH"};
}

bool start_program(const std::string &path, const std::vector<std::string> &arguments,
                   std::optional<unsigned> processor, StartedProgram &program, std::string &failure) {
  ignore_broken_pipes();
  adopt_orphans();
  std::vector<char *> argv;
  argv.push_back(const_cast<char *>(path.c_str()));
  for (const std::string &argument : arguments) {
    argv.push_back(const_cast<char *>(argument.c_str()));
  }
  argv.push_back(nullptr);
  int ends[3][2] = {{-1, -1}, {-1, -1}, {-1, -1}};
  int report[2] = {-1, -1};
  const auto close_all = [&] {
    for (auto &pair : ends) {
      for (int &end : pair) {
        if (end >= 0) {
          close(end);
          end = -1;
        }
      }
    }
    for (int &end : report) {
      if (end >= 0) {
        close(end);
        end = -1;
      }
    }
  };
  for (auto &pair : ends) {
    if (pipe(pair) != 0) {
      failure = std::strerror(errno);
      close_all();
      return false;
    }
  }
  // This process's ends stay out of every program it starts later.
  for (const int end : {ends[0][1], ends[1][0], ends[2][0]}) {
    fcntl(end, F_SETFD, FD_CLOEXEC);
  }
  if (pipe(report) != 0 || fcntl(report[1], F_SETFD, FD_CLOEXEC) != 0) {
    failure = std::strerror(errno);
    close_all();
    return false;
  }
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    close(report[0]);
    become_program(path.c_str(), argv.data(), processor, parent, ends, report[1]);
  }
  if (pid < 0) {
    failure = std::strerror(errno);
    close_all();
    return false;
  }
  // Set from both sides, so that it holds whichever runs first.
  setpgid(pid, pid);
  close(report[1]);
  report[1] = -1;
  int error = 0;
  ssize_t got = 0;
  while ((got = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
  }
  close(ends[0][0]);
  close(ends[1][1]);
  close(ends[2][1]);
  program = {.process = pid, .input = ends[0][1], .output = ends[1][0], .error = ends[2][0]};
  close(report[0]);
  if (got > 0) {
    failure = std::strerror(error);
    end_program(program);
    return false;
  }
  return true;
}

bool write_to_program(StartedProgram &program, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = write(descriptor(program.input), text.data(), text.size());
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

void close_program_input(StartedProgram &program) { close_if_open(program.input); }

bool collect_output(std::span<StartedProgram *const> programs, std::span<ProgramOutput *const> outputs,
                    std::chrono::milliseconds longest) {
  struct Watched {
    std::intptr_t *stream;
    std::string *into;
  };
  std::vector<Watched> watched;
  std::vector<pollfd> waiting;
  for (std::size_t i = 0; i < programs.size() && i < outputs.size(); ++i) {
    for (const Watched stream : {Watched{&programs[i]->output, &outputs[i]->output},
                                 Watched{&programs[i]->error, &outputs[i]->error}}) {
      if (*stream.stream >= 0) {
        watched.push_back(stream);
        waiting.push_back({descriptor(*stream.stream), POLLIN, 0});
      }
    }
  }
  if (waiting.empty()) {
    return false;
  }
  const int ready = poll(waiting.data(), waiting.size(), static_cast<int>(longest.count()));
  if (ready < 0) {
    return errno == EINTR;
  }
  for (std::size_t i = 0; i < waiting.size(); ++i) {
    if (waiting[i].revents == 0) {
      continue;
    }
    char buffer[16384];
    const ssize_t got = read(waiting[i].fd, buffer, sizeof buffer);
    if (got > 0) {
      watched[i].into->append(buffer, static_cast<std::size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      close_if_open(*watched[i].stream);
    }
  }
  return true;
}

bool program_ended(StartedProgram &program) {
  if (program.process < 0) {
    return true;
  }
  const auto pid = static_cast<pid_t>(program.process);
  if (!leader_ended_within(pid, std::chrono::milliseconds(0))) {
    return false;
  }
  kill(-pid, SIGKILL);
  return true;
}

ProgramEnding wait_for_program(StartedProgram &program, std::chrono::milliseconds longest) {
  close_if_open(program.input);
  close_if_open(program.output);
  close_if_open(program.error);
  if (program.process < 0) {
    return {.description = "had already ended"};
  }
  const auto pid = static_cast<pid_t>(program.process);
  const bool ended_here = !leader_ended_within(pid, longest);
  kill(-pid, SIGKILL);
  int status = 0;
  pid_t waited = 0;
  while ((waited = waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
  }
  wait_for_group_to_empty(pid);
  program.process = -1;
  if (waited < 0) {
    return {.ended_here = ended_here, .description = "could not be waited for"};
  }
  if (WIFSIGNALED(status)) {
    return {.ended_here = ended_here,
            .description = "was killed by signal " + std::to_string(WTERMSIG(status)) + " (" +
                           strsignal(WTERMSIG(status)) + ")"};
  }
  return {.exited = true,
          .status = WEXITSTATUS(status),
          .description = "ended with status " + std::to_string(WEXITSTATUS(status))};
}

} // namespace platform
