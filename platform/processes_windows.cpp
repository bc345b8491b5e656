#include "platform/processes.h"

#include "platform/windows_common.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <thread>

namespace platform {
namespace {

// The copies belong to a job that ends them all when its last handle, the
// run's, closes: however the run ends, even killed outright, they end too.
HANDLE job_that_ends_with_the_run() {
  const HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (job == nullptr) {
    return nullptr;
  }
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  return job;
}

// Starts this program again as copy `link.number`, inheriting the handles
// its link names and no others.
bool start_copy(const CopyLink &link, HANDLE job, HANDLE &process, std::string &failure) {
  wchar_t program[MAX_PATH + 1] = {};
  if (GetModuleFileNameW(nullptr, program, MAX_PATH) == 0) {
    failure = system_message(GetLastError());
    return false;
  }
  std::wstring command = L"\"" + std::wstring(program) + L"\" --copy-link=" + std::to_wstring(link.number) + L"," +
                         std::to_wstring(link.inner) + L"," + std::to_wstring(link.outer) + L"," +
                         std::to_wstring(link.to_run);
  HANDLE inherited[1 + gates_per_run] = {handle(link.to_run)};
  for (int gate = 0; gate < gates_per_run; ++gate) {
    command += L"," + std::to_wstring(link.gates[gate]);
    inherited[1 + gate] = handle(link.gates[gate]);
  }
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<char> attributes(size);
  auto *list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
  if (InitializeProcThreadAttributeList(list, 1, 0, &size) == 0 ||
      UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited, sizeof inherited, nullptr,
                                nullptr) == 0) {
    failure = system_message(GetLastError());
    return false;
  }
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.lpAttributeList = list;
  PROCESS_INFORMATION started{};
  const BOOL created =
      CreateProcessW(program, command.data(), nullptr, nullptr, TRUE,
                     CREATE_SUSPENDED | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr,
                     &startup.StartupInfo, &started);
  DeleteProcThreadAttributeList(list);
  if (created == 0) {
    failure = system_message(GetLastError());
    return false;
  }
  if (job != nullptr) {
    AssignProcessToJobObject(job, started.hProcess);
  }
  ResumeThread(started.hThread);
  CloseHandle(started.hThread);
  process = started.hProcess;
  return true;
}

} // namespace

bool start_copies(unsigned count, std::int32_t inner, std::int32_t outer, void (*)(const CopyLink &),
                  CopyProcesses &copies, std::string &failure) {
  const HANDLE job = job_that_ends_with_the_run();
  copies.job = value_of(job);
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  for (std::intptr_t &gate : copies.gates) {
    // Manual reset: once set, it lets every copy waiting on it through.
    const HANDLE event = CreateEventW(&inheritable, TRUE, FALSE, nullptr);
    if (event == nullptr) {
      failure = system_message(GetLastError());
      stop_copies(copies);
      return false;
    }
    gate = value_of(event);
  }
  std::fflush(nullptr);
  for (unsigned number = 1; number <= count; ++number) {
    HANDLE from_copy = nullptr;
    HANDLE to_run = nullptr;
    if (CreatePipe(&from_copy, &to_run, &inheritable, 0) == 0) {
      failure = system_message(GetLastError());
      stop_copies(copies);
      return false;
    }
    SetHandleInformation(from_copy, HANDLE_FLAG_INHERIT, 0);
    HANDLE process = nullptr;
    CopyLink link{.number = number, .inner = inner, .outer = outer, .to_run = value_of(to_run)};
    std::copy(std::begin(copies.gates), std::end(copies.gates), link.gates);
    const bool started = start_copy(link, job, process, failure);
    CloseHandle(to_run);
    if (!started) {
      CloseHandle(from_copy);
      stop_copies(copies);
      return false;
    }
    copies.processes.push_back(value_of(process));
    copies.from_copies.push_back(value_of(from_copy));
  }
  return true;
}

std::optional<CopyLink> copy_link_in_arguments(int argc, const char *const *argv) {
  CopyLink link;
  unsigned long long handles[1 + gates_per_run] = {};
  if (argc != 2 || std::sscanf(argv[1], "--copy-link=%u,%d,%d,%llu,%llu,%llu,%llu,%llu", &link.number, &link.inner,
                               &link.outer, &handles[0], &handles[1], &handles[2], &handles[3], &handles[4]) != 8) {
    return std::nullopt;
  }
  link.to_run = static_cast<std::intptr_t>(handles[0]);
  for (int gate = 0; gate < gates_per_run; ++gate) {
    link.gates[gate] = static_cast<std::intptr_t>(handles[1 + gate]);
  }
  return link;
}

bool send_to_run(const CopyLink &link, const void *message, std::size_t size) {
  const auto *bytes = static_cast<const char *>(message);
  while (size > 0) {
    DWORD written = 0;
    if (WriteFile(handle(link.to_run), bytes, static_cast<DWORD>(size), &written, nullptr) == 0 || written == 0) {
      return false;
    }
    bytes += written;
    size -= written;
  }
  return true;
}

bool wait_at_gate(const CopyLink &link, int pass) {
  const HANDLE wake = handle(link.gates[2 * (pass - 1)]);
  const HANDLE start = handle(link.gates[2 * (pass - 1) + 1]);
  if (WaitForSingleObject(wake, INFINITE) != WAIT_OBJECT_0) {
    return false;
  }
  // Watched without sleeping for a while: the run opens it moments later.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (WaitForSingleObject(start, 0) == WAIT_TIMEOUT && std::chrono::steady_clock::now() < give_up) {
  }
  return WaitForSingleObject(start, INFINITE) == WAIT_OBJECT_0;
}

// Anonymous pipes cannot be waited on, so the run looks at each in turn and
// sleeps between rounds; waking a few dozen times a second costs the copies
// nothing measurable.
std::size_t receive_from_copies(CopyProcesses &copies, void *messages, std::size_t size) {
  const std::size_t count = copies.from_copies.size();
  std::vector<std::size_t> received(count, 0);
  for (;;) {
    bool waiting = false;
    for (std::size_t copy = 0; copy < count; ++copy) {
      if (received[copy] == size) {
        continue;
      }
      DWORD available = 0;
      if (PeekNamedPipe(handle(copies.from_copies[copy]), nullptr, 0, nullptr, &available, nullptr) == 0) {
        return copy;
      }
      // A copy that has ended has nothing more to send, even if its channel
      // has somehow stayed open; what it sent before is there to read.
      if (available == 0 && WaitForSingleObject(handle(copies.processes[copy]), 0) == WAIT_OBJECT_0 &&
          (PeekNamedPipe(handle(copies.from_copies[copy]), nullptr, 0, nullptr, &available, nullptr) == 0 ||
           available == 0)) {
        return copy;
      }
      if (available > 0) {
        DWORD got = 0;
        char *into = static_cast<char *>(messages) + copy * size + received[copy];
        const DWORD wanted = static_cast<DWORD>(size - received[copy]);
        if (ReadFile(handle(copies.from_copies[copy]), into, available < wanted ? available : wanted, &got,
                     nullptr) == 0) {
          return copy;
        }
        received[copy] += got;
      }
      waiting = waiting || received[copy] < size;
    }
    if (!waiting) {
      return count;
    }
    Sleep(20);
  }
}

void open_gate(CopyProcesses &copies, int pass) {
  SetEvent(handle(copies.gates[2 * (pass - 1)]));
  std::this_thread::sleep_for(copies_wake_time);
  SetEvent(handle(copies.gates[2 * (pass - 1) + 1]));
}

std::string copy_ending(CopyProcesses &copies, std::size_t index) {
  const HANDLE process = handle(copies.processes[index]);
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  char text[64];
  // Exception codes, such as 0xC0000005 for an access violation, read best in
  // hexadecimal.
  std::snprintf(text, sizeof text, code >= 0xC0000000 ? "ended with exception 0x%08lX" : "ended with status %lu",
                static_cast<unsigned long>(code));
  return text;
}

namespace {

bool wait_for_all(CopyProcesses &copies) {
  bool clean = true;
  for (std::intptr_t &process : copies.processes) {
    if (process == -1) {
      continue;
    }
    WaitForSingleObject(handle(process), INFINITE);
    DWORD code = 1;
    clean = clean && GetExitCodeProcess(handle(process), &code) != 0 && code == 0;
    close_if_open(process);
  }
  for (std::intptr_t &channel : copies.from_copies) {
    close_if_open(channel);
  }
  for (std::intptr_t &gate : copies.gates) {
    close_if_open(gate);
  }
  close_if_open(copies.job);
  return clean;
}

} // namespace

void stop_copies(CopyProcesses &copies) {
  if (copies.job != -1 && copies.job != 0) {
    TerminateJobObject(handle(copies.job), 1);
  }
  for (const std::intptr_t process : copies.processes) {
    if (process != -1) {
      TerminateProcess(handle(process), 1);
    }
  }
  wait_for_all(copies);
}

bool wait_for_copies(CopyProcesses &copies) { return wait_for_all(copies); }

} // namespace platform
