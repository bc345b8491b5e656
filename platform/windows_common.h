#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <windows.h>

// What the Windows files of the platform share.
namespace platform {

// The handle behind a C stream, which is where its bytes go even if the
// process's standard handle has been changed since it started.
HANDLE handle_of(std::FILE *stream);

// UTF-16 text, as Windows gives it, in UTF-8.
std::string utf8(const std::wstring &text);

// The system's own words for an error code, without the line break and full
// stop it ends them with.
std::string system_message(DWORD code);

// A handle as the platform's portable headers carry it, and back; -1 (or 0)
// is none.
inline HANDLE handle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }
inline std::intptr_t value_of(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

// Closes a handle that is open and marks it closed, so that closing twice
// is harmless.
inline void close_if_open(std::intptr_t &value) {
  if (value != -1 && value != 0) {
    CloseHandle(handle(value));
  }
  value = -1;
}

} // namespace platform
