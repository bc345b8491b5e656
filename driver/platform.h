#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the program needs to know of the system it runs on, kept apart from
// everything else so that each operating system has one file of its own.
namespace driver {

// A terminal on POSIX systems; a console on Windows (not a file, pipe or the
// NUL device, which Windows also counts as character devices).
bool is_terminal(std::FILE *stream);

// Whether the terminal shows UTF-8 text as the characters it encodes. On
// POSIX systems that is the character type locale, taken from the
// environment (and only that, so numbers keep their decimal point). A
// Windows console is always able to, because write_to_console hands it
// UTF-16, whatever its code page.
bool character_locale_is_utf8();

// Writes UTF-8 text to a Windows console as characters rather than bytes,
// after everything already in the stream's buffer. False, with nothing
// written, where the stream is not such a console (always, on POSIX
// systems, whose terminals take the bytes through the C stream).
bool write_to_console(std::FILE *stream, std::string_view utf8_text);

// Whether standard output and standard error reach the same file, pipe or
// terminal (as after 2>&1), so that what one writes lands among the other's.
bool output_and_error_are_one_file();

// Processor time used by the whole process so far, in seconds, and the
// smallest step in which that reading advances; not a number where the
// system cannot tell.
double processor_seconds();
double processor_clock_step();

struct Machine {
  std::string processor_model; // empty when the system does not say
  unsigned processors = 0;     // 0 when the system does not say
};

Machine this_machine();

struct OperatingSystem {
  std::string name;    // for example "Linux" or "Windows"
  std::string release; // the kernel's release, or Windows' version
};

OperatingSystem this_operating_system();

// A new file, created beside `path` (in the same directory, so that it can
// later take path's place in one step) under a name no other file has.
struct NewFile {
  std::FILE *stream = nullptr; // null when it could not be created
  std::string path{};
  std::string failure{}; // the system's reason, when it could not be created
};

NewFile create_file_beside(const std::string &path);

// Pushes what the stream holds to the file, and the file to its storage, so
// that it survives a crash of the system once it has its final name. False
// on failure, with the system's reason.
bool write_to_storage(std::FILE *stream, std::string &failure);

// Gives the file at `from` the name `to` in one step, replacing any file of
// that name, so that no reader ever sees a partial file there.
bool replace_file(const std::string &from, const std::string &to, std::string &failure);

// Until forgotten, an interrupt or termination request (SIGINT, SIGTERM or
// SIGHUP; Ctrl+C or Ctrl+Break on Windows) removes the file at `path` and
// ends the process with status 1, so that it leaves nothing half done.
void remove_on_interrupt(const std::string &path);
void forget_removal_on_interrupt();

// What limits the processors this process may use: its affinity mask, and
// the CPU quotas of its control groups (Linux), as the files give them.
struct ProcessorLimits {
  unsigned allowed_by_affinity = 0;   // 0 when the system does not say
  std::vector<std::string> cpu_max{}; // cgroup v2: its group's cpu.max, then each parent's
  std::string cfs_quota_us{};         // cgroup v1
  std::string cfs_period_us{};
};

ProcessorLimits this_process_processor_limits();

// Each pass has two gates. The first wakes the copies asleep at it; the
// second, opened a moment later, starts the copies that, awake by then, watch
// it without sleeping. A sleeping processor, in a virtual machine above all,
// can take milliseconds to wake, which would set the copies' starts that far
// apart; a watching copy sees the gate open within microseconds.
constexpr int gates_per_run = 4;

// How long the run leaves its copies to wake between a pass's two gates.
constexpr std::chrono::milliseconds copies_wake_time{20};

// A copy of the run in a process of its own, as the copy sees its link with
// the run that started it.
struct CopyLink {
  unsigned number = 0; // 1 to the number of copies
  std::int32_t inner = 0;
  std::int32_t outer = 0;
  std::intptr_t to_run = -1;         // where the copy sends its messages
  std::intptr_t gates[gates_per_run] = {-1, -1, -1, -1}; // pass 1's two, then pass 2's
};

// The run's side of its copies.
struct CopyProcesses {
  std::vector<std::intptr_t> processes{};   // process ids or handles; -1 once ended
  std::vector<std::intptr_t> from_copies{}; // where each copy's messages arrive
  std::intptr_t gates[gates_per_run] = {-1, -1, -1, -1};
  std::intptr_t job = 0; // Windows: the job whose closing ends every copy
};

// Starts `count` copies, each in a process of its own that runs `copy` with
// its link and ends with the run, however the run ends. On POSIX systems a
// copy is a fork of the run; on Windows, the program started again with an
// argument that copy_link_in_arguments recognises.
bool start_copies(unsigned count, std::int32_t inner, std::int32_t outer, void (*copy)(const CopyLink &),
                  CopyProcesses &copies, std::string &failure);

// The link a copy started as a program of its own was given; nothing in any
// other run.
std::optional<CopyLink> copy_link_in_arguments(int argc, const char *const *argv);

// In a copy: sends one message whole, and waits until the pass's gate opens.
bool send_to_run(const CopyLink &link, const void *message, std::size_t size);
bool wait_at_gate(const CopyLink &link, int pass);

// Waits until every copy has sent one message of `size` bytes, and puts copy
// i's at messages + i * size. Returns the number of copies, or the index of
// one whose channel ended first: it has ended.
std::size_t receive_from_copies(CopyProcesses &copies, void *messages, std::size_t size);

// Opens the pass's gates for every copy waiting at them: the copies start
// at one instant.
void open_gate(CopyProcesses &copies, int pass);

// How copy `index` ended ("was killed by signal 9 (Killed)"), once it has.
std::string copy_ending(CopyProcesses &copies, std::size_t index);

// Ends every copy still running at once, and waits for them.
void stop_copies(CopyProcesses &copies);

// Waits for every copy to end; false unless each ended cleanly.
bool wait_for_copies(CopyProcesses &copies);

} // namespace driver
