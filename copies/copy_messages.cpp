#include "copies/copy_messages.h"

#include <algorithm>
#include <cstring>

namespace copies {
namespace {

template <std::size_t size> void copy_text(char (&to)[size], const std::string &from) {
  const std::size_t length = from.size() < size - 1 ? from.size() : size - 1;
  std::memcpy(to, from.data(), length);
  to[length] = '\0';
}

CopyMessage message_of(CopyMessage::Kind kind, int pass) {
  CopyMessage message{};
  message.kind = kind;
  message.pass = static_cast<std::uint32_t>(pass);
  return message;
}

// Read up to the terminating zero, or the field's end if another process
// left none.
template <std::size_t size> std::string text_in(const char (&field)[size]) {
  return std::string(field, std::find(field, field + size, '\0'));
}

} // namespace

CopyMessage ready_message(int pass) { return message_of(CopyMessage::ready, pass); }

CopyMessage timed_message(int pass, const pass::PassTiming &timing) {
  CopyMessage message = message_of(CopyMessage::pass_timed, pass);
  message.start = timing.start;
  message.end = timing.end;
  message.processor = timing.processor;
  message.outer_per_group = timing.groups.outer_per_group;
  message.full_groups = timing.groups.full;
  message.fastest_group = timing.groups.fastest;
  message.slowest_group = timing.groups.slowest;
  message.fastest_group_processor = timing.groups.fastest_processor;
  return message;
}

pass::PassTiming timing_in(const CopyMessage &message) {
  return {.elapsed = message.end - message.start,
          .processor = message.processor,
          .groups = {.outer_per_group = message.outer_per_group,
                     .full = message.full_groups,
                     .fastest = message.fastest_group,
                     .slowest = message.slowest_group,
                     .fastest_processor = message.fastest_group_processor},
          .start = message.start,
          .end = message.end};
}

CopyMessage checked_message(const std::optional<self_check::Mismatch> &mismatch) {
  CopyMessage message = message_of(CopyMessage::state_checked, 2);
  if (mismatch) {
    message.mismatched = 1;
    copy_text(message.value, mismatch->value);
    copy_text(message.got, mismatch->got);
    copy_text(message.expected, mismatch->expected);
  }
  return message;
}

std::optional<self_check::Mismatch> mismatch_in(const CopyMessage &message) {
  if (message.mismatched == 0) {
    return std::nullopt;
  }
  return self_check::Mismatch{text_in(message.value), text_in(message.got), text_in(message.expected)};
}

} // namespace copies
