#pragma once

#include <cstdint>
#include <optional>

namespace pass {

// The counts a run was given: typed at the prompts, or chosen by a probe to
// fill the seconds asked for. Pass 2 runs twice the inner count.
struct Counts {
  std::int32_t inner;
  std::int32_t outer;
  std::optional<double> auto_seconds{}; // set when the counts were chosen by a probe
};

} // namespace pass
