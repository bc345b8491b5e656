#pragma once

#include "pass/timed_pass.h"
#include "self_check/state_check.h"

#include <cstdint>
#include <optional>
#include <type_traits>

// What a copy tells the run that started it. Each message is one write of a
// fixed size, small enough that a pipe delivers it whole and never
// interleaved with another's.
namespace copies {

struct CopyMessage {
  enum Kind : std::uint32_t { ready = 1, pass_timed = 2, state_checked = 3 };
  Kind kind;
  std::uint32_t pass;
  // pass_timed: the copy's own readings of its clocks.
  double start;
  double end;
  double processor;
  std::uint32_t outer_per_group;
  std::uint64_t full_groups;
  double fastest_group;
  double slowest_group;
  double fastest_group_processor;
  // state_checked: the first value that differs, if any.
  std::uint32_t mismatched;
  char value[200];
  char got[40];
  char expected[40];
};

static_assert(std::is_trivially_copyable_v<CopyMessage>);
static_assert(sizeof(CopyMessage) <= 512, "a pipe delivers at least 512 bytes in one piece");

CopyMessage ready_message(int pass);
CopyMessage timed_message(int pass, const pass::PassTiming &timing);
pass::PassTiming timing_in(const CopyMessage &message);
CopyMessage checked_message(const std::optional<self_check::Mismatch> &mismatch);
std::optional<self_check::Mismatch> mismatch_in(const CopyMessage &message);

} // namespace copies
