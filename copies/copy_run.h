#pragma once

#include "copies/copy_messages.h"
#include "platform/processes.h"
#include "pass/timed_pass.h"
#include "self_check/state_check.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Both passes run in several copies at once, each in a process of its own
// (the workload's state belongs to its process), started at one instant for
// each pass: every copy says it is ready and waits at that pass's gate, which
// the run opens once all are waiting. Each copy reads its own clocks as a
// single run does and sends its figures back; none writes to standard output
// or error.
namespace copies {

// What a copy does, in the process it was started in: both passes, each when
// its gate opens, then the check of the state they left. It never returns.
[[noreturn]] void run_as_copy(const platform::CopyLink &link);

// The run's side. Copies still running when it goes are stopped.
class CopyRun {
public:
  CopyRun(unsigned count, std::int32_t inner, std::int32_t outer);
  ~CopyRun();
  CopyRun(const CopyRun &) = delete;
  CopyRun &operator=(const CopyRun &) = delete;

  bool start();

  // Every copy's timing of the pass, in copy order; nothing when a copy
  // ended before it sent it, in which case the others have been stopped.
  std::optional<std::vector<pass::PassTiming>> run_pass(int pass);

  // Every copy's check of the state its passes left, once they have ended.
  std::optional<std::vector<std::optional<self_check::Mismatch>>> checks();

  // Why the copies failed, as a line for standard error.
  const std::string &failure() const { return failure_; }

private:
  bool receive(std::vector<CopyMessage> &messages, CopyMessage::Kind kind, int pass, const char *when);
  void stop();

  unsigned count_;
  std::int32_t inner_;
  std::int32_t outer_;
  platform::CopyProcesses processes_{};
  bool running_ = false;
  std::string failure_;
};

} // namespace copies
