#pragma once

#include "record/start_time.h"
#include "record/text.h"
#include "record/warning_kinds.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

namespace record {

// A run as its record tells it, read back: what a comparison of runs needs
// to group it, to weigh it, and to say why it might not be trusted, and no
// more, so that a million of them fit in memory. Its text is kept once for
// all the records that share it (see record/text.h); its start time, which
// no other run shares, within it.
struct RecordedRun {
  Text program_version{};
  std::optional<Text> label{};
  Text host_name{};        // empty in a record written before host names were kept
  Text processor_model{};  // empty where the system did not say
  unsigned processors = 0; // 0 where the system did not say
  Text compiler{};
  Text compiler_version{};
  Text flags{};
  Text architecture{};
  StartTime started_at{};
  unsigned copies = 0; // 0 for a run in one process
  // Pass 2's rate as the report printed it, in megaWhets/second: the
  // machine's, for a run in copies.
  double rate = 0.0;
  // Pass 2's fastest group of outer iterations, in megaWhets/second; for a
  // run in copies, the sum of every copy's fastest group.
  double steady = 0.0;
  // The lowest share of the processor any pass (any copy's pass) had; not a
  // number where the record gives none.
  double lowest_processor_share = std::numeric_limits<double>::quiet_NaN();
  std::uint32_t warnings = 0; // how many the record carries ("interference", "short", ...)
  // Of them, those that say the run was disturbed: other work took the
  // processor ("interference"), or the machine's speed changed under it
  // ("steadiness").
  std::uint32_t disturbances = 0;
  WarningKinds warning_kinds{}; // the kinds of them this program knows
  bool self_check_passed = true;
  int exit_status = 0;
};

} // namespace record
