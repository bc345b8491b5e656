#include "platform/interrupts.h"

#include <csignal>
#include <cstddef>
#include <unistd.h>

namespace platform {
namespace {

const int interrupting_signals[] = {SIGINT, SIGTERM, SIGHUP};

// Read by the signal handler: set before the handlers are installed and
// cleared only after they are gone.
char *volatile path_to_remove = nullptr;
const char *volatile note = nullptr;
volatile std::sig_atomic_t deferring = 0;
volatile std::sig_atomic_t requested = 0;

// Only what is safe in a signal handler: unlink, write and _exit.
extern "C" void remove_and_exit(int) {
  if (deferring != 0 && requested == 0) {
    requested = 1;
    return;
  }
  if (path_to_remove != nullptr) {
    unlink(path_to_remove);
  }
  if (const char *text = note; text != nullptr) {
    std::size_t length = 0;
    while (text[length] != '\0') {
      ++length;
    }
    while (length > 0) {
      const ssize_t written = write(STDERR_FILENO, text, length);
      if (written <= 0) {
        break;
      }
      text += written;
      length -= static_cast<std::size_t>(written);
    }
  }
  _exit(1);
}

void install_handler() {
  for (const int signal : interrupting_signals) {
    struct sigaction current {};
    // A signal the caller chose to ignore (nohup, a background job) stays
    // ignored.
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
      continue;
    }
    struct sigaction action {};
    action.sa_handler = remove_and_exit;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
  }
}

} // namespace

void remove_on_interrupt(const std::string &path) {
  static std::string kept;
  kept = path;
  path_to_remove = kept.data();
  install_handler();
}

void forget_removal_on_interrupt() {
  // A command that defers interrupts keeps its handler.
  for (const int signal : interrupting_signals) {
    struct sigaction current {};
    if (deferring == 0 && sigaction(signal, nullptr, &current) == 0 && current.sa_handler == remove_and_exit) {
      std::signal(signal, SIG_DFL);
    }
  }
  path_to_remove = nullptr;
  note = nullptr;
}

void note_on_interrupt(const char *text) { note = text; }

void defer_interrupts() {
  deferring = 1;
  install_handler();
}

bool interrupt_requested() { return requested != 0; }

} // namespace platform
