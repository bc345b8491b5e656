#pragma once

#include <cstdint>
#include <unistd.h>

// What the POSIX files of the platform share.
namespace platform {

// A descriptor as the platform's portable headers carry it; -1 is none.
inline int descriptor(std::intptr_t handle) { return static_cast<int>(handle); }

// Closes a descriptor that is open and marks it closed, so that closing
// twice is harmless.
inline void close_if_open(std::intptr_t &handle) {
  if (handle >= 0) {
    close(descriptor(handle));
    handle = -1;
  }
}

} // namespace platform
