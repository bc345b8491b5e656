#pragma once

#include "compare/comparison.h"
#include "record/record_reader.h"
#include "record/recorded_run.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace compare {

// A run read from a record, with where it was read: a hundred bytes or so,
// whatever the record's text (see record::Text).
struct Entry {
  record::Source source;
  record::RecordedRun run;
};

// The groups the runs fall into: by the settings' keys, or with none given,
// by host for a fleet and otherwise by whichever keys differ among them.
std::vector<std::string> group_names(const std::vector<Entry> &entries, const Settings &settings);

// Compares the runs: leaves out those whose self-check failed, counts
// identical records once, groups the rest and judges each group against the
// base (`base_name`, or the first group), and with a fleet each host against
// its stratum. `excluded` holds what could not be read, which the comparison
// lists with its own. Nothing when `base_name` names no group.
std::optional<Comparison> compare_runs(std::vector<Entry> entries, std::vector<ExcludedRecord> excluded,
                                       const Settings &settings, std::string_view base_name = {});

} // namespace compare
