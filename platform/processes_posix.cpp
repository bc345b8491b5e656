#include "platform/processes.h"

#include "platform/posix_common.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

namespace platform {
namespace {

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
      failure = std::strerror(errno);
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
      failure = std::strerror(errno);
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
      failure = std::strerror(errno);
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

} // namespace platform
