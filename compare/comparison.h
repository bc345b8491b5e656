#pragma once

#include "compare/group_comparison.h"
#include "compare/verdict.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// What a comparison of runs found, as data: every output (the table, its
// Markdown, CSV and JSON forms, the page) presents this and computes nothing.
namespace compare {

// The confidence of a group's interval for its median steady figure.
inline constexpr double interval_confidence = 0.95;

// A verdict rests on disturbed runs when more than this share of the
// records on either side were disturbed (docs/comparing.md says how it was
// measured): then the figures spread too far for a verdict to mean anything,
// and more records of the same machine would not help.
inline constexpr double most_disturbed_share = 0.5;

// What records are grouped by, in this order when more than one differs.
enum class Key { label, host, processor, build, copies };

struct Settings {
  std::vector<Key> keys{};        // the keys that name the groups
  double alpha = 0.05;            // the U test's level
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
  // Records whose run other work disturbed (an interference warning) or
  // whose machine changed speed under it (a steadiness warning).
  std::size_t disturbed = 0;
  // More than most_disturbed_share of this group's records, or of the
  // base's, were disturbed: nothing vouches for the verdict, and more records
  // would not help where a quiet machine would.
  bool rests_on_disturbed_runs = false;
  // Against the base; none for the base itself.
  std::optional<double> change_percent{};   // of the median steady figure; positive when faster
  std::optional<double> p_value{};          // the two-sided U test's; none when a side has no records
  bool p_exact = false;                     // from U's exact distribution, not its normal approximation
  Direction direction = Direction::neither; // the U test's, which faster and slower follow
  // The Hodges-Lehmann shift, the median of the differences over every pair
  // of records, in percent of the base's median; positive when faster. Its
  // interval at the test's level (1 - alpha), where the records give one.
  std::optional<double> shift_percent{};
  std::optional<double> shift_low_percent{};
  std::optional<double> shift_high_percent{};
  bool shift_interval_exact = false; // its ranks from U's exact distribution, not the normal approximation
  bool enough_records = false;       // both sides have at least 4; otherwise the output says n<4
  bool could_be_significant = false; // some outcome of these sizes is significant; otherwise too few to tell
  bool significant = false;          // p < alpha, and a shift in the test's direction
  bool only_ties_differ = false;     // p < alpha, but values both share hold the shift at 0
  std::optional<std::size_t> records_needed{}; // per group, for a difference this size to be found
  // base; faster or slower; no_change; too_few; none in a fleet, whose
  // groups are not judged against one of them.
  Verdict verdict = Verdict::none;
};

// The hosts of a fleet with the same processor, build and copies, which
// together set the rate a host should reach: each host is judged against
// its stratum's median M and median absolute deviation.
struct Stratum {
  std::string name{};               // "AMD EPYC 7763, 64 processors; g++ 12.2.0, -O2, x86-64; one process"
  std::vector<std::size_t> hosts{}; // its hosts, as indices into Comparison::hosts
  double median = 0.0;              // M, of its hosts' steady figures
  double median_absolute_deviation = 0.0;
  // At and below this rate a host apart from its peers is slow:
  // M (1 - slow_percent / 100). Not a number where the stratum is unjudged.
  double slow_threshold = 0.0;
  std::string unjudged_because{}; // empty where its hosts are judged
};

// One host of a fleet, judged against its stratum.
struct HostResult {
  std::string host;
  std::size_t stratum = 0; // in Comparison::strata
  std::size_t records = 0;
  double steady = 0.0;                     // the median steady figure of its records
  std::optional<double> deficit_percent{}; // (1 - steady / M) x 100; none where M is not positive
  std::optional<double> modified_z{};      // none where unjudged or the MAD is 0
  Verdict verdict = Verdict::unjudged;     // ok, slow, fast or unjudged
  double lowest_processor_share = 0.0;     // not a number where no record gives one
  double sustain = 0.0;                    // the median of its records'
  std::size_t warnings = 0;                // warnings its records carried
};

struct ExcludedRecord {
  std::string source; // file and record number, or the argument
  std::string reason;
};

struct Comparison {
  Settings settings{};
  std::vector<GroupResult> groups{}; // the base first
  std::vector<Stratum> strata{};     // with --fleet: in the order their first host was given
  std::vector<HostResult> hosts{};   // with --fleet: by stratum, then by host
  std::vector<ExcludedRecord> excluded{};
  std::size_t duplicates = 0; // identical records counted once
  // The slow hosts in the order of `hosts`: those named as host names are
  // (host_names.h), for the line a shell or scontrol takes as it is, and the
  // others, which no output puts on that line.
  std::vector<std::string> slow_hosts{};
  std::vector<std::string> slow_hosts_apart{};
};

} // namespace compare
