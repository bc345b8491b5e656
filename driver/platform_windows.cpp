#include "driver/platform.h"

#include "driver/cpuinfo.h"

#include <cmath>
#include <cstdio>
#include <io.h>
#include <windows.h>

namespace driver {
namespace {

// The handle behind a C stream, which is where its bytes go even if the
// process's standard handle has been changed since it started.
HANDLE handle_of(std::FILE *stream) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))); }

HANDLE standard_output_handle() { return handle_of(stdout); }

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

} // namespace

bool standard_output_is_terminal() { return is_console(standard_output_handle()); }

bool character_locale_is_utf8() { return true; }

bool write_to_console(std::string_view utf8_text) {
  const HANDLE console = standard_output_handle();
  if (!is_console(console)) {
    return false;
  }
  const std::wstring text = console_text(utf8_text);
  // The text must follow what the C stream still holds, and the stream's own
  // error state reports a failed flush when the report is flushed at the end.
  std::fflush(stdout);
  DWORD written = 0;
  return WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0 &&
         written == text.size();
}

bool output_and_error_are_one_file() {
  const HANDLE output = standard_output_handle();
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
