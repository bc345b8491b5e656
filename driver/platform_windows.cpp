#include "driver/platform.h"

#include <cstdio>
#include <io.h>
#include <windows.h>

namespace driver {
namespace {

// The handle behind the C stream, which is where the report's bytes go even
// if the process's standard handle has been changed since it started.
HANDLE standard_output_handle() { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout))); }

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

} // namespace driver
