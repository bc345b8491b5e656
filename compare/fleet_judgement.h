#pragma once

#include "compare/verdict.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace compare {

// Fewer hosts give a median and a MAD too easily moved by the very host
// being judged.
inline constexpr std::size_t least_hosts_to_judge = 5;

// Beyond this modified z-score a host stands apart from its stratum
// (Iglewicz and Hoaglin's usual bound for outliers).
inline constexpr double outlier_z = 3.5;

// 0.6745 (x - M) / MAD is the modified z-score: the factor makes the MAD of
// normally spread rates comparable to a standard deviation.
inline constexpr double normal_mad_per_deviation = 0.6745;

struct HostJudgement {
  // The modified z-score; none when the MAD is 0 or the stratum is not
  // judged.
  std::optional<double> z{};
  double deficit = 0.0;                // 1 - x / M: how far below the stratum's median the host runs
  Verdict verdict = Verdict::unjudged; // ok, slow, fast or unjudged
};

struct StratumJudgement {
  double median = 0.0; // M
  double median_absolute_deviation = 0.0;
  // The rate at and below which a host is far enough below M to be slow,
  // M (1 - slow_fraction); not a number where the stratum is not judged.
  double slow_threshold = 0.0;
  std::vector<HostJudgement> hosts{}; // in the order of the values given
  std::string unjudged_because{};     // why the hosts are unjudged; empty when they are judged
};

// The hosts of one stratum (the same processor, build and copies), each
// with one rate. A host is slow when it stands apart below the stratum
// (z < -3.5) and by enough to matter (deficit >= slow_fraction), fast in the
// mirror case; with a MAD of 0, as when most hosts agree to the last digit,
// the deficit alone decides. The deficit is reported even for unjudged hosts
// whenever M is positive. slow_fraction lies strictly between 0 and 1
// (std::invalid_argument otherwise).
// What each rate is of, as the reason a stratum is not judged names it: a
// host in compare's strata, a series in a history's, where one host may
// have several.
struct MemberNames {
  std::string_view one = "host";
  std::string_view many = "hosts";
};

StratumJudgement judge_stratum(std::span<const double> host_rates, double slow_fraction = 0.05,
                               MemberNames members = {});

} // namespace compare
