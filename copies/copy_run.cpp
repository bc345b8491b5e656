#include "copies/copy_run.h"

#include "pass/clock.h"
#include "pass/figures.h"
#include "pass/timed_pass.h"
#include "platform/interrupts.h"
#include "text/formatted.h"
#include "workload/outer_iteration.h"

#include <cstdlib>

namespace copies {
namespace {

// A copy ends without flushing anything: what the run had buffered when it
// started the copy is the run's to write.
[[noreturn]] void end_copy(int status) { std::_Exit(status); }

void send_or_end(const platform::CopyLink &link, const CopyMessage &message) {
  if (!platform::send_to_run(link, &message, sizeof message)) {
    end_copy(1);
  }
}

// A copy just started has yet to touch the pages it shares with the run,
// and may sit on the same processor as another copy: either would land in
// pass 1. Working a while first copies the pages, and lets the system spread
// the copies over its processors, so each starts pass 1 at the gate on a
// processor of its own.
void warm_up() {
  constexpr double warm_up_seconds = 0.02;
  const double start = pass::wall_seconds();
  do {
    workload::run_outer_iteration(100);
  } while (pass::wall_seconds() - start < warm_up_seconds);
}

bool is_expected(const CopyMessage &message, CopyMessage::Kind kind, int pass) {
  return message.kind == kind && message.pass == static_cast<std::uint32_t>(pass);
}

} // namespace

void run_as_copy(const platform::CopyLink &link) {
  // The run removes its own record's file if it is interrupted; a copy has
  // nothing of its own to clean up.
  platform::forget_removal_on_interrupt();
  warm_up();
  std::int32_t inner = link.inner;
  for (int pass = 1; pass <= 2; ++pass) {
    send_or_end(link, ready_message(pass));
    if (!platform::wait_at_gate(link, pass)) {
      end_copy(1);
    }
    send_or_end(link, timed_message(pass, pass::time_outer_iterations(link.outer, inner)));
    if (pass == 1) {
      inner = pass::doubled_count(inner);
    }
  }
  send_or_end(link, checked_message(self_check::check_state_after_pass_2(link.outer, inner, link.number)));
  end_copy(0);
}

CopyRun::CopyRun(unsigned count, std::int32_t inner, std::int32_t outer)
    : count_(count), inner_(inner), outer_(outer) {}

CopyRun::~CopyRun() { stop(); }

bool CopyRun::start() {
  std::string reason;
  if (!platform::start_copies(count_, inner_, outer_, run_as_copy, processes_, reason)) {
    failure_ = text::formatted("megawhets: cannot start %u copies: %s\n", count_, reason.c_str());
    return false;
  }
  running_ = true;
  return true;
}

std::optional<std::vector<pass::PassTiming>> CopyRun::run_pass(int pass) {
  std::vector<CopyMessage> messages(count_);
  if (!receive(messages, CopyMessage::ready, pass, "before") ||
      (platform::open_gate(processes_, pass), !receive(messages, CopyMessage::pass_timed, pass, "during"))) {
    return std::nullopt;
  }
  std::vector<pass::PassTiming> timings;
  for (const CopyMessage &message : messages) {
    timings.push_back(timing_in(message));
  }
  return timings;
}

std::optional<std::vector<std::optional<self_check::Mismatch>>> CopyRun::checks() {
  std::vector<CopyMessage> messages(count_);
  if (!receive(messages, CopyMessage::state_checked, 2, "after")) {
    return std::nullopt;
  }
  running_ = false;
  if (!platform::wait_for_copies(processes_)) {
    failure_ = "megawhets: a copy did not end cleanly after its passes\n";
    return std::nullopt;
  }
  std::vector<std::optional<self_check::Mismatch>> mismatches;
  for (const CopyMessage &message : messages) {
    mismatches.push_back(mismatch_in(message));
  }
  return mismatches;
}

bool CopyRun::receive(std::vector<CopyMessage> &messages, CopyMessage::Kind kind, int pass,
                      const char *when) {
  std::size_t failed = platform::receive_from_copies(processes_, messages.data(), sizeof(CopyMessage));
  std::string what;
  if (failed < count_) {
    what = platform::copy_ending(processes_, failed);
  } else {
    for (failed = 0; failed < count_ && is_expected(messages[failed], kind, pass); ++failed) {
    }
    if (failed == count_) {
      return true;
    }
    what = "sent what the run did not expect";
  }
  stop();
  const char *lost =
      kind == CopyMessage::state_checked ? "its state went unchecked" : "the pass has no result";
  failure_ = text::formatted("megawhets: copy %u of %u %s %s pass %d, so %s; the other copies were stopped\n",
                             static_cast<unsigned>(failed + 1), count_, what.c_str(), when, pass, lost);
  return false;
}

void CopyRun::stop() {
  if (running_) {
    platform::stop_copies(processes_);
    running_ = false;
  }
}

} // namespace copies
