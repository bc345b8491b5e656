#include "platform/interrupts.h"

#include <cstdlib>
#include <cstring>
#include <windows.h>

namespace platform {
namespace {

// Read by the console's control handler, which runs on a thread of its own.
const char *volatile path_to_remove = nullptr;
const char *volatile note = nullptr;
volatile LONG deferring = 0;
volatile LONG requested = 0;

BOOL WINAPI remove_and_exit(DWORD) {
  if (deferring != 0 && InterlockedExchange(&requested, 1) == 0) {
    return TRUE;
  }
  if (path_to_remove != nullptr) {
    DeleteFileA(path_to_remove);
  }
  if (const char *text = note; text != nullptr) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
  }
  _exit(1);
}

} // namespace

void remove_on_interrupt(const std::string &path) {
  static std::string kept;
  kept = path;
  path_to_remove = kept.c_str();
  SetConsoleCtrlHandler(remove_and_exit, TRUE);
}

void forget_removal_on_interrupt() {
  // A command that defers interrupts keeps its handler.
  if (deferring == 0) {
    SetConsoleCtrlHandler(remove_and_exit, FALSE);
  }
  path_to_remove = nullptr;
  note = nullptr;
}

void note_on_interrupt(const char *text) { note = text; }

void defer_interrupts() {
  deferring = 1;
  SetConsoleCtrlHandler(remove_and_exit, TRUE);
}

bool interrupt_requested() { return requested != 0; }

} // namespace platform
