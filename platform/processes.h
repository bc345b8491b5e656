#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The processes of a run in copies: starting them, the channels they report
// through, and the gates that start their passes at one instant.
namespace platform {

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

} // namespace platform
