#pragma once

#include "driver/arguments.h"
#include "pass/counts.h"

#include <optional>

namespace driver {

// The counts for the run: asked for at the two prompts, or chosen by a
// probe and shown at the prompts as if they had been typed. Nothing when a
// count could not be read; the reason is then on standard error.
std::optional<pass::Counts> read_counts(const RunOptions &options);

} // namespace driver
