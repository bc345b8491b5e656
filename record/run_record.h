#pragma once

#include "platform/build.h"
#include "platform/machine.h"
#include "pass/counts.h"
#include "pass/pass_outcome.h"
#include "report/warnings.h"
#include "self_check/state_check.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The record of a run: everything needed to compare it with other runs
// later.
namespace record {

struct Copies {
  unsigned count;
  unsigned usable_processors;
};

struct RunRecord {
  std::optional<std::string> label{}; // what the user changed for this run, from --label
  platform::Build build{};
  platform::Machine machine{};
  platform::OperatingSystem operating_system{};
  std::string started_at{};                  // UTC, RFC 3339
  std::optional<pass::Counts> counts{};            // none when the self-check failed before they were read
  std::optional<Copies> copies{};            // set for a run in copies
  std::vector<pass::PassOutcome> passes{}; // both, or none
  std::optional<self_check::Mismatch> mismatch{};
  std::vector<report::RunWarning> warnings{};
  int exit_status = 0;
};

} // namespace record
