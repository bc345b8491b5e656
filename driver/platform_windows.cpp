#include "driver/platform.h"

#include "driver/cpuinfo.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <thread>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace driver {
namespace {

// The handle behind a C stream, which is where its bytes go even if the
// process's standard handle has been changed since it started.
HANDLE handle_of(std::FILE *stream) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))); }

// Only a console has a console mode; the C runtime's _isatty would also say
// yes for the NUL device and for serial ports.
bool is_console(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

// Line breaks become CR LF, as the C stream's text mode makes them.
std::wstring console_text(std::string_view utf8) {
  std::string with_returns;
  for (const char c : utf8) {
    if (c == '\n') {
      with_returns += '\r';
    }
    with_returns += c;
  }
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, with_returns.data(), static_cast<int>(with_returns.size()), nullptr, 0);
  std::wstring text(length > 0 ? static_cast<std::size_t>(length) : 0U, L'\0');
  if (length > 0) {
    MultiByteToWideChar(CP_UTF8, 0, with_returns.data(), static_cast<int>(with_returns.size()), text.data(),
                        length);
  }
  return text;
}

std::string utf8(const std::wstring &text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string bytes(length > 0 ? static_cast<std::size_t>(length) : 0U, '\0');
  if (length > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr,
                        nullptr);
  }
  return bytes;
}

// Both handles lead to one file on one volume (a redirection such as 2>&1
// gives the process two handles to the same file, not the same handle).
bool same_disk_file(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION first{};
  BY_HANDLE_FILE_INFORMATION second{};
  return GetFileInformationByHandle(a, &first) != 0 && GetFileInformationByHandle(b, &second) != 0 &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

// A pipe has no file index, but two handles to it lead to one kernel
// object. The system compares objects only from Windows 10 on, so the
// function is looked up rather than imported, and older systems say no.
bool same_kernel_object(HANDLE a, HANDLE b) {
  using Compare = BOOL(WINAPI *)(HANDLE, HANDLE);
  const HMODULE kernelbase = GetModuleHandleW(L"kernelbase.dll");
  if (kernelbase == nullptr) {
    return false;
  }
  // Through a function type without parameters, as GetProcAddress's result
  // must be cast to the function's true type.
  const auto compare = reinterpret_cast<Compare>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernelbase, "CompareObjectHandles")));
  return compare != nullptr && compare(a, b) != 0;
}

double seconds(const FILETIME &time) {
  const ULONGLONG ticks = (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return static_cast<double>(ticks) * 1e-7; // 100 ns units
}

std::string registry_processor_model() {
  wchar_t name[256] = {};
  DWORD size = sizeof name;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                   L"ProcessorNameString", RRF_RT_REG_SZ, nullptr, name, &size) != ERROR_SUCCESS) {
    return {};
  }
  return tidy_processor_model(utf8(name));
}

// The system's own words for an error code, without the line break and full
// stop it ends them with.
std::string system_message(DWORD code) {
  char text[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                      text, sizeof text, nullptr);
  std::string message(text, length);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
    message.pop_back();
  }
  return message.empty() ? "error " + std::to_string(code) : message;
}

// Read by the console's control handler, which runs on a thread of its own.
const char *volatile path_to_remove = nullptr;

BOOL WINAPI remove_and_exit(DWORD) {
  if (path_to_remove != nullptr) {
    DeleteFileA(path_to_remove);
  }
  _exit(1);
}

} // namespace

bool is_terminal(std::FILE *stream) { return is_console(handle_of(stream)); }

bool character_locale_is_utf8() { return true; }

bool write_to_console(std::FILE *stream, std::string_view utf8_text) {
  const HANDLE console = handle_of(stream);
  if (!is_console(console)) {
    return false;
  }
  const std::wstring text = console_text(utf8_text);
  // The text must follow what the C stream still holds, and the stream's own
  // error state reports a failed flush when the report is flushed at the end.
  std::fflush(stream);
  DWORD written = 0;
  return WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0 &&
         written == text.size();
}

bool output_and_error_are_one_file() {
  const HANDLE output = handle_of(stdout);
  const HANDLE error = handle_of(stderr);
  if (output == INVALID_HANDLE_VALUE || error == INVALID_HANDLE_VALUE) {
    return false;
  }
  if (output == error || (is_console(output) && is_console(error))) {
    return true;
  }
  return same_kernel_object(output, error) || same_disk_file(output, error);
}

// Not a number where the times cannot be read, so that no pass is judged on
// a reading that was never taken.
double processor_seconds() {
  FILETIME created{};
  FILETIME exited{};
  FILETIME kernel{};
  FILETIME user{};
  if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user) == 0) {
    return std::nan("");
  }
  return seconds(kernel) + seconds(user);
}

// Process times are kept in 100 ns units but only advance at the system's
// clock interrupt, 15.625 ms by default.
double processor_clock_step() {
  DWORD adjustment = 0;
  DWORD increment = 0;
  BOOL disabled = FALSE;
  if (GetSystemTimeAdjustment(&adjustment, &increment, &disabled) == 0 || increment == 0) {
    return std::nan("");
  }
  return static_cast<double>(increment) * 1e-7;
}

Machine this_machine() {
  const DWORD processors = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
  return {.processor_model = registry_processor_model(), .processors = static_cast<unsigned>(processors)};
}

} // namespace driver

namespace driver {

// GetVersionEx reports what a program's manifest claims to support, not the
// system; the kernel's own call tells the truth, and is looked up because
// its header is the driver kit's.
OperatingSystem this_operating_system() {
  using GetVersion = LONG(WINAPI *)(OSVERSIONINFOW *);
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const auto get_version =
      ntdll == nullptr ? nullptr
                       : reinterpret_cast<GetVersion>(
                             reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlGetVersion")));
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (get_version == nullptr || get_version(&version) != 0) {
    return {"Windows", ""};
  }
  return {"Windows", std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) + "." +
                         std::to_string(version.dwBuildNumber)};
}

NewFile create_file_beside(const std::string &path) {
  const std::string stem = path + ".tmp-" + std::to_string(GetCurrentProcessId()) + "-";
  for (unsigned attempt = 0;; ++attempt) {
    const std::string name = stem + std::to_string(GetTickCount() + attempt);
    const HANDLE file =
        CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD code = GetLastError();
      if (code == ERROR_FILE_EXISTS && attempt < 100) {
        continue;
      }
      return {.failure = system_message(code)};
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
    std::FILE *stream = fd < 0 ? nullptr : _fdopen(fd, "wb");
    if (stream == nullptr) {
      fd < 0 ? CloseHandle(file) : _close(fd);
      DeleteFileA(name.c_str());
      return {.failure = "cannot open it as a stream"};
    }
    return {.stream = stream, .path = name};
  }
}

bool write_to_storage(std::FILE *stream, std::string &failure) {
  if (std::fflush(stream) != 0 || std::ferror(stream) != 0) {
    failure = "write error";
    return false;
  }
  if (FlushFileBuffers(handle_of(stream)) == 0) {
    failure = system_message(GetLastError());
    return false;
  }
  return true;
}

bool replace_file(const std::string &from, const std::string &to, std::string &failure) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
    failure = system_message(GetLastError());
    return false;
  }
  return true;
}

void remove_on_interrupt(const std::string &path) {
  static std::string kept;
  kept = path;
  path_to_remove = kept.c_str();
  SetConsoleCtrlHandler(remove_and_exit, TRUE);
}

void forget_removal_on_interrupt() {
  SetConsoleCtrlHandler(remove_and_exit, FALSE);
  path_to_remove = nullptr;
}

} // namespace driver

namespace driver {
namespace {

HANDLE handle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }
std::intptr_t value_of(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

void close_if_open(std::intptr_t &value) {
  if (value != -1 && value != 0) {
    CloseHandle(handle(value));
  }
  value = -1;
}

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

ProcessorLimits this_process_processor_limits() {
  DWORD_PTR process_mask = 0;
  DWORD_PTR system_mask = 0;
  ProcessorLimits limits;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process_mask, &system_mask) != 0) {
    for (; process_mask != 0; process_mask &= process_mask - 1) {
      ++limits.allowed_by_affinity;
    }
  }
  return limits;
}

} // namespace driver
