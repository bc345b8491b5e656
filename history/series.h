#pragma once

#include "record/recorded_run.h"

#include <cstdint>
#include <string>

// What a trend is made of, as the store gives it.
namespace history {

// One host's runs with one processor, build, copies and label. `identity`
// holds those keys only, so that the comparison's names and strata apply.
struct Series {
  std::int64_t id = 0;
  record::RecordedRun identity{};
};

// A point of a trend.
struct StoredRun {
  std::string started_at{};
  double steady = 0.0;
  double rate = 0.0;
  std::uint32_t warnings = 0; // how many the record carries
  bool self_check_passed = true;
};

} // namespace history
