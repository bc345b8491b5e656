#include "platform/terminal.h"

#include "platform/windows_common.h"

#include <string>

namespace platform {
namespace {

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

bool is_regular_file(std::FILE *stream) {
  const HANDLE handle = handle_of(stream);
  return handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK;
}

// An anonymous pipe's writer cannot see how much its reader has yet to read.
void wait_for_reader(std::FILE *, std::chrono::milliseconds) {}

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

} // namespace platform
