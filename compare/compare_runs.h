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

// The fewest records that give an interval for their median at
// interval_confidence; with fewer, a group shows its range instead.
std::size_t fewest_records_for_interval();

struct Compared {
  std::optional<Comparison> comparison{}; // none when the base named is none of its groups
  std::vector<std::string> group_names{}; // the groups the runs kept fell into, in their order
};

// Compares the runs: leaves out those whose self-check failed, counts
// identical records once, groups the rest (by the settings' keys, or with
// none given, by host for a fleet and otherwise by whichever keys differ
// among them) and judges each group against the base (`base_name`, or the
// first group); or with a fleet, each host against its stratum, its groups
// taking their hosts' verdicts where they are hosts, and none otherwise. `excluded`
// holds what could not be read, which the comparison lists with its own.
Compared compare_runs(std::vector<Entry> entries, std::vector<ExcludedRecord> excluded,
                      const Settings &settings, std::string_view base_name = {});

} // namespace compare
