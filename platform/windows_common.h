#pragma once

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

} // namespace platform
