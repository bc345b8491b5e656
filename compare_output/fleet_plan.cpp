#include "compare_output/fleet_plan.h"

#include <algorithm>
#include <cmath>

namespace compare_output {
namespace {

using compare::HostResult;
using compare::Verdict;

output::Axis stratum_axis(const StratumPlan &plan) {
  std::vector<double> figures{plan.stratum->median};
  for (const HostResult *host : plan.hosts) {
    figures.push_back(host->steady);
  }
  if (plan.has_band) {
    figures.push_back(plan.stratum->slow_threshold);
  }
  std::erase_if(figures, [](double figure) { return !std::isfinite(figure); });
  if (figures.empty()) {
    return output::round_axis(0.0, 1.0);
  }
  const auto [lowest, highest] = std::minmax_element(figures.begin(), figures.end());
  const double margin = (*highest - *lowest) * 0.04;
  return output::round_axis(*lowest - margin, *highest + margin, 8);
}

void choose_named(StratumPlan &plan) {
  for (const HostResult *host : plan.hosts) {
    if (host->verdict == Verdict::slow || host->verdict == Verdict::fast) {
      plan.named.push_back(host);
    }
  }
  const auto distance = [](const HostResult *host) {
    return host->deficit_percent ? std::fabs(*host->deficit_percent) : 0.0;
  };
  std::stable_sort(plan.named.begin(), plan.named.end(), [&](const HostResult *a, const HostResult *b) {
    if ((a->verdict == Verdict::slow) != (b->verdict == Verdict::slow)) {
      return a->verdict == Verdict::slow;
    }
    return distance(a) > distance(b);
  });
  if (plan.named.size() > most_hosts_named) {
    plan.not_named = plan.named.size() - most_hosts_named;
    plan.named.resize(most_hosts_named);
  }
}

StratumPlan plan_of(const compare::Stratum &stratum, const std::vector<HostResult> &hosts) {
  StratumPlan plan{.stratum = &stratum};
  for (const std::size_t host : stratum.hosts) {
    plan.hosts.push_back(&hosts.at(host));
    plan.slow += plan.hosts.back()->verdict == Verdict::slow ? 1 : 0;
    plan.fast += plan.hosts.back()->verdict == Verdict::fast ? 1 : 0;
  }
  plan.judged = stratum.unjudged_because.empty() && !plan.hosts.empty();
  plan.has_band = plan.judged && std::isfinite(stratum.median) && stratum.median > 0.0 &&
                  std::isfinite(stratum.slow_threshold);
  plan.axis = stratum_axis(plan);
  choose_named(plan);
  return plan;
}

} // namespace

std::vector<StratumPlan> fleet_plan(const compare::Comparison &comparison) {
  std::vector<StratumPlan> plans;
  for (const compare::Stratum &stratum : comparison.strata) {
    plans.push_back(plan_of(stratum, comparison.hosts));
  }
  const auto rank = [](const StratumPlan &plan) {
    return !plan.judged ? 2 : plan.slow + plan.fast > 0 ? 0 : 1;
  };
  std::stable_sort(plans.begin(), plans.end(),
                   [&](const StratumPlan &a, const StratumPlan &b) { return rank(a) < rank(b); });
  return plans;
}

} // namespace compare_output
