#pragma once

#include "probe_schedule.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The probe names each callgrind dump after the block it ran and how many
// iterations it made; the checker reads the two back from the name.
namespace fidelity {

inline std::string dump_name(ProbeRun run) {
  return "block_" + std::to_string(run.block) + "_iterations_" + std::to_string(run.iterations);
}

namespace detail {

inline bool consume(std::string_view &text, std::string_view prefix) {
  if (!text.starts_with(prefix)) {
    return false;
  }
  text.remove_prefix(prefix.size());
  return true;
}

template <class Number> bool consume_number(std::string_view &text, Number &number) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc{} || end == text.data()) {
    return false;
  }
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return true;
}

} // namespace detail

// Empty for a name the probe did not make, such as callgrind's own dump at
// program termination.
inline std::optional<ProbeRun> parse_dump_name(std::string_view name) {
  ProbeRun run;
  if (detail::consume(name, "block_") && detail::consume_number(name, run.block) &&
      detail::consume(name, "_iterations_") && detail::consume_number(name, run.iterations) && name.empty()) {
    return run;
  }
  return std::nullopt;
}

} // namespace fidelity
