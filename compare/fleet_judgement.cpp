#include "compare/fleet_judgement.h"

#include "statistics/median.h"
#include "statistics/open_probability.h"

#include <limits>

namespace compare {

namespace {

double deficit(double rate, double stratum_median) {
  if (!(stratum_median > 0.0)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return 1.0 - rate / stratum_median;
}

std::string reason_unjudged(std::size_t hosts, double stratum_median, MemberNames members) {
  if (hosts < least_hosts_to_judge) {
    return "only " + std::to_string(hosts) + " " + std::string(hosts == 1 ? members.one : members.many) + ", fewer than " +
           std::to_string(least_hosts_to_judge);
  }
  if (!(stratum_median > 0.0)) {
    return "the stratum's median rate is not positive";
  }
  return {};
}

Verdict verdict(const HostJudgement &host, double slow_fraction) {
  const bool below = !host.z || *host.z < -outlier_z;
  const bool above = !host.z || *host.z > outlier_z;
  if (below && host.deficit >= slow_fraction) {
    return Verdict::slow;
  }
  if (above && -host.deficit >= slow_fraction) {
    return Verdict::fast;
  }
  return Verdict::ok;
}

} // namespace

StratumJudgement judge_stratum(std::span<const double> host_rates, double slow_fraction, MemberNames members) {
  statistics::require_open_probability(slow_fraction, "slow fraction");
  StratumJudgement stratum{.median = statistics::median(host_rates),
                           .median_absolute_deviation = statistics::median_absolute_deviation(host_rates)};
  stratum.unjudged_because = reason_unjudged(host_rates.size(), stratum.median, members);
  const bool judged = stratum.unjudged_because.empty();
  stratum.slow_threshold =
      judged ? stratum.median * (1.0 - slow_fraction) : std::numeric_limits<double>::quiet_NaN();
  const double mad = stratum.median_absolute_deviation;
  for (const double rate : host_rates) {
    HostJudgement host{.deficit = deficit(rate, stratum.median)};
    if (judged) {
      if (mad > 0.0) {
        host.z = normal_mad_per_deviation * (rate - stratum.median) / mad;
      }
      host.verdict = verdict(host, slow_fraction);
    }
    stratum.hosts.push_back(host);
  }
  return stratum;
}

} // namespace compare
