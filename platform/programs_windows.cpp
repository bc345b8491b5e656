#include "platform/programs.h"

#include "platform/windows_common.h"

#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

// Each program belongs to a job of its own, with whatever it starts: ending
// the job ends them all, and when its last handle, this process's, closes,
// however this process ends, even killed outright, they end too.
HANDLE program_job() {
  const HANDLE created = CreateJobObjectW(nullptr, nullptr);
  if (created != nullptr) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  }
  return created;
}

std::wstring wide(const std::string &text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring converted(length > 0 ? static_cast<std::size_t>(length) : 0U, L'\0');
  if (length > 0) {
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), converted.data(), length);
  }
  return converted;
}

// One argument as the C runtime's parser reads it back: quoted, with the
// backslashes before a quote doubled.
std::wstring as_command_line_argument(const std::wstring &argument) {
  std::wstring text = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    text.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    text += c;
  }
  text.append(2 * backslashes, L'\\');
  return text + L"\"";
}

std::string start_problem(const std::string &path) {
  const DWORD attributes = GetFileAttributesW(wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return "does not exist";
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return "is a directory";
  }
  return {};
}

bool has_extension(const std::string &name) {
  const std::size_t dot = name.rfind('.');
  return dot != std::string::npos && name.find_first_of("/\\", dot) == std::string::npos;
}

std::string found_in(const std::string &path) {
  if (start_problem(path).empty()) {
    return path;
  }
  if (!has_extension(path) && start_problem(path + ".exe").empty()) {
    return path + ".exe";
  }
  return {};
}

} // namespace

FoundProgram find_program(const std::string &name) {
  if (name.empty()) {
    return {.problem = "is an empty name"};
  }
  if (name.find_first_of("/\\:") != std::string::npos) {
    const std::string path = found_in(name);
    return path.empty() ? FoundProgram{.problem = start_problem(name)} : FoundProgram{.path = path};
  }
  const char *search = std::getenv("PATH");
  const std::string directories = std::string(".;") + (search != nullptr ? search : "");
  for (std::size_t start = 0; start <= directories.size();) {
    const std::size_t semicolon = std::min(directories.find(';', start), directories.size());
    const std::string directory = directories.substr(start, semicolon - start);
    if (!directory.empty()) {
      if (const std::string path = found_in(directory + "\\" + name); !path.empty()) {
        return {.path = path};
      }
    }
    start = semicolon + 1;
  }
  return {.problem = "is not on PATH"};
}

bool start_program(const std::string &path, const std::vector<std::string> &arguments,
                   std::optional<unsigned> processor, StartedProgram &program, std::string &failure) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  // The program's ends of its three pipes, and this process's.
  HANDLE theirs[3] = {nullptr, nullptr, nullptr};
  HANDLE ours[3] = {nullptr, nullptr, nullptr};
  const auto close_all = [&] {
    for (HANDLE &end : theirs) {
      if (end != nullptr) {
        CloseHandle(end);
        end = nullptr;
      }
    }
    for (HANDLE &end : ours) {
      if (end != nullptr) {
        CloseHandle(end);
        end = nullptr;
      }
    }
  };
  for (int stream = 0; stream < 3; ++stream) {
    HANDLE reading = nullptr;
    HANDLE writing = nullptr;
    if (CreatePipe(&reading, &writing, &inheritable, 0) == 0) {
      failure = system_message(GetLastError());
      close_all();
      return false;
    }
    theirs[stream] = stream == 0 ? reading : writing;
    ours[stream] = stream == 0 ? writing : reading;
    SetHandleInformation(ours[stream], HANDLE_FLAG_INHERIT, 0);
  }
  const std::wstring program_path = wide(path);
  std::wstring command = as_command_line_argument(program_path);
  for (const std::string &argument : arguments) {
    command += L" " + as_command_line_argument(wide(argument));
  }
  // Only the three pipes are inherited, not whatever else is inheritable
  // here.
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<char> attributes(size);
  auto *list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
  if (InitializeProcThreadAttributeList(list, 1, 0, &size) == 0 ||
      UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, theirs, sizeof theirs, nullptr,
                                nullptr) == 0) {
    failure = system_message(GetLastError());
    close_all();
    return false;
  }
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = theirs[0];
  startup.StartupInfo.hStdOutput = theirs[1];
  startup.StartupInfo.hStdError = theirs[2];
  startup.lpAttributeList = list;
  PROCESS_INFORMATION started{};
  // A process group of its own takes the program out of the console's
  // Ctrl+C, which this process answers for it.
  const BOOL created = CreateProcessW(program_path.c_str(), command.data(), nullptr, nullptr, TRUE,
                                      CREATE_SUSPENDED | CREATE_NEW_PROCESS_GROUP | CREATE_NO_WINDOW |
                                          EXTENDED_STARTUPINFO_PRESENT,
                                      nullptr, nullptr, &startup.StartupInfo, &started);
  const DWORD created_error = GetLastError();
  DeleteProcThreadAttributeList(list);
  for (HANDLE &end : theirs) {
    CloseHandle(end);
    end = nullptr;
  }
  if (created == 0) {
    failure = system_message(created_error);
    close_all();
    return false;
  }
  const HANDLE job = program_job();
  if (job != nullptr) {
    AssignProcessToJobObject(job, started.hProcess);
  }
  program = {.process = value_of(started.hProcess),
             .input = value_of(ours[0]),
             .output = value_of(ours[1]),
             .error = value_of(ours[2]),
             .group = job != nullptr ? value_of(job) : -1};
  if (processor && (*processor >= 8 * sizeof(DWORD_PTR) ||
                    SetProcessAffinityMask(started.hProcess, DWORD_PTR{1} << *processor) == 0)) {
    failure = *processor >= 8 * sizeof(DWORD_PTR) ? "no such processor" : system_message(GetLastError());
    CloseHandle(started.hThread);
    end_program(program);
    return false;
  }
  ResumeThread(started.hThread);
  CloseHandle(started.hThread);
  return true;
}

bool write_to_program(StartedProgram &program, std::string_view text) {
  while (!text.empty()) {
    DWORD written = 0;
    if (WriteFile(handle(program.input), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ==
            0 ||
        written == 0) {
      return false;
    }
    text.remove_prefix(written);
  }
  return true;
}

void close_program_input(StartedProgram &program) { close_if_open(program.input); }

// Anonymous pipes cannot be waited on, so each is looked at in turn, with
// a short sleep between looks while none has anything.
bool collect_output(std::span<StartedProgram *const> programs, std::span<ProgramOutput *const> outputs,
                    std::chrono::milliseconds longest) {
  const ULONGLONG give_up = GetTickCount64() + static_cast<ULONGLONG>(longest.count());
  for (;;) {
    bool waiting = false;
    bool arrived = false;
    for (std::size_t i = 0; i < programs.size() && i < outputs.size(); ++i) {
      std::intptr_t *streams[2] = {&programs[i]->output, &programs[i]->error};
      std::string *into[2] = {&outputs[i]->output, &outputs[i]->error};
      for (int s = 0; s < 2; ++s) {
        if (*streams[s] == -1) {
          continue;
        }
        waiting = true;
        DWORD available = 0;
        if (PeekNamedPipe(handle(*streams[s]), nullptr, 0, nullptr, &available, nullptr) == 0) {
          // The program's end has closed: all it wrote has been read.
          close_if_open(*streams[s]);
          arrived = true;
          continue;
        }
        if (available == 0) {
          continue;
        }
        char buffer[16384];
        DWORD got = 0;
        if (ReadFile(handle(*streams[s]), buffer, available < sizeof buffer ? available : sizeof buffer, &got,
                     nullptr) == 0) {
          close_if_open(*streams[s]);
        } else {
          into[s]->append(buffer, got);
        }
        arrived = true;
      }
    }
    if (!waiting) {
      return false;
    }
    if (arrived || GetTickCount64() >= give_up) {
      return true;
    }
    Sleep(2);
  }
}

bool program_ended(StartedProgram &program) {
  if (program.process == -1) {
    return true;
  }
  if (WaitForSingleObject(handle(program.process), 0) != WAIT_OBJECT_0) {
    return false;
  }
  if (program.group != -1) {
    TerminateJobObject(handle(program.group), 1);
  }
  return true;
}

ProgramEnding wait_for_program(StartedProgram &program, std::chrono::milliseconds longest) {
  close_if_open(program.input);
  close_if_open(program.output);
  close_if_open(program.error);
  if (program.process == -1) {
    return {.description = "had already ended"};
  }
  const HANDLE process = handle(program.process);
  bool ended_here = false;
  if (WaitForSingleObject(process, static_cast<DWORD>(longest.count())) != WAIT_OBJECT_0) {
    TerminateProcess(process, 1);
    ended_here = true;
    WaitForSingleObject(process, INFINITE);
  }
  if (program.group != -1) {
    TerminateJobObject(handle(program.group), 1);
    close_if_open(program.group);
  }
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  close_if_open(program.process);
  char text[64];
  // Exception codes, such as 0xC0000005 for an access violation, read best
  // in hexadecimal.
  if (code >= 0xC0000000) {
    std::snprintf(text, sizeof text, "ended with exception 0x%08lX", static_cast<unsigned long>(code));
    return {.ended_here = ended_here, .description = text};
  }
  std::snprintf(text, sizeof text, "ended with status %lu", static_cast<unsigned long>(code));
  return {
      .exited = !ended_here, .status = static_cast<int>(code), .ended_here = ended_here, .description = text};
}

} // namespace platform
