#pragma once

#include "platform/build.h"
#include "platform/machine.h"
#include "pass/pass_outcome.h"
#include "report/warnings.h"
#include "self_check/state_check.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The record of a run, as JSON: everything needed to compare it with other
// runs later. Its layout is documented in record/run-record.schema.json;
// readers ignore fields they do not know, and a change that would break one
// raises schema_version.
namespace record {

constexpr int schema_version = 1;

struct Counts {
  std::int32_t inner;
  std::int32_t outer;
  std::optional<double> auto_seconds; // set when the counts were chosen by a probe
};

struct Copies {
  unsigned count;
  unsigned usable_processors;
};

struct RunRecord {
  platform::Build build{};
  platform::Machine machine{};
  platform::OperatingSystem operating_system{};
  std::string started_at{};                  // UTC, RFC 3339
  std::optional<Counts> counts{};            // none when the self-check failed before they were read
  std::optional<Copies> copies{};            // set for a run in copies
  std::vector<pass::PassOutcome> passes{}; // both, or none
  std::optional<self_check::Mismatch> mismatch{};
  std::vector<report::RunWarning> warnings{};
  int exit_status = 0;
};

std::string record_json(const RunRecord &run);

} // namespace record
