#pragma once

#include "compare/fleet_judgement.h"
#include "compare/group_comparison.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// What a comparison of runs found, as data: every output (the table, its
// Markdown, CSV and JSON forms, the page) presents this and computes nothing.
namespace compare {

// What records are grouped by, in this order when more than one differs.
enum class Key { label, host, processor, build, copies };

struct Settings {
  std::vector<Key> keys{};       // the keys that name the groups
  double alpha = 0.05;           // the U test's level
  double threshold_percent = 2.0; // --strict fails a significant change at least this large
  double slow_percent = 5.0;      // a host this far below its stratum's median, and apart from it, is slow
  bool fleet = false;
};

// One record's figures, in megaWhets/second.
struct RecordPoint {
  std::string source; // where it was read: "runs.json, record 3"
  double steady = 0.0;
  double rate = 0.0;
  double sustain = 0.0; // rate / steady: below 1 when the machine slowed during the run
  bool warned = false;
};

// The steady figures of a group: their median, the 95 % interval for it
// from order statistics (or, with fewer than 6 records, the range, marked as
// such), and the range.
struct Spread {
  double median = 0.0;
  double low = 0.0;
  double high = 0.0;
  bool low_high_is_range = false; // too few records for the interval
  double min = 0.0;
  double max = 0.0;
};

struct GroupResult {
  std::string name; // the values of the keys that differ, as "alpha, gcc-13"
  bool base = false;
  std::vector<RecordPoint> records{};
  Spread steady{};
  double rate_median = 0.0;
  double sustain_median = 0.0;
  std::size_t warned = 0; // records that carried a warning
  // Against the base; none for the base itself.
  std::optional<double> change_percent{}; // of the median steady figure; positive when faster
  std::optional<double> p_value{};        // the two-sided U test's; none when a side has no records
  bool p_exact = false;                   // from U's exact distribution, not its normal approximation
  Direction direction = Direction::neither; // the U test's, which faster and slower follow
  // The Hodges-Lehmann shift, the median of the differences over every pair
  // of records, in percent of the base's median; positive when faster. Its
  // interval at the test's level (1 - alpha), where the records give one.
  std::optional<double> shift_percent{};
  std::optional<double> shift_low_percent{};
  std::optional<double> shift_high_percent{};
  bool shift_interval_exact = false; // its ranks from U's exact distribution, not the normal approximation
  bool enough_records = false;            // both sides have at least 4; otherwise the output says n<4
  bool could_be_significant = false;      // some outcome of these sizes is significant; otherwise too few to tell
  bool significant = false;               // p < alpha, and a shift in the test's direction
  bool only_ties_differ = false;          // p < alpha, but values both share hold the shift at 0
  std::optional<std::size_t> records_needed{}; // per group, for a difference this size to be found
};

// One host of a fleet, judged against its stratum: the hosts with the same
// processor, build and copies.
struct HostResult {
  std::string host;
  std::string stratum;       // the processor, build and copies it shares with its peers
  std::size_t records = 0;
  double steady = 0.0;         // the median steady figure of its records
  double stratum_median = 0.0; // M
  std::optional<double> deficit_percent{}; // (1 - steady / M) x 100; none where M is not positive
  std::optional<double> modified_z{};      // none where unjudged or the MAD is 0
  FleetVerdict verdict = FleetVerdict::unjudged;
  std::string unjudged_because{};
  double lowest_processor_share = 0.0; // not a number where no record gives one
  double sustain = 0.0;                // the median of its records'
  std::size_t warnings = 0;            // warnings its records carried
};

struct ExcludedRecord {
  std::string source; // file and record number, or the argument
  std::string reason;
};

struct Comparison {
  Settings settings{};
  std::vector<GroupResult> groups{}; // the base first
  std::vector<HostResult> hosts{};   // with --fleet: by stratum, then by host
  std::vector<ExcludedRecord> excluded{};
  std::size_t duplicates = 0;          // identical records counted once
  std::vector<std::string> slow_hosts{}; // in the order of `hosts`
};

} // namespace compare
