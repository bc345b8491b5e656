#pragma once

#include "compare/comparison.h"
#include "output/chart_scale.h"

#include <cstddef>
#include <vector>

// What the fleet's charts show, chosen before anything is drawn: which
// strata come first, the axis of each, and which of its hosts are named.
namespace compare_output {

// On a stratum's chart, at most this many hosts are named, the slowest
// first: the names take a lane each where they would overlap, and a fleet
// with hundreds of slow hosts in one stratum has a problem no list of names
// on a chart explains. Every dot still has its title, and the page's list
// of slow hosts and its table name them all.
inline constexpr std::size_t most_hosts_named = 40;

struct StratumPlan {
  const compare::Stratum *stratum = nullptr;
  std::vector<const compare::HostResult *> hosts{}; // in the comparison's order
  std::vector<const compare::HostResult *> named{}; // slow before fast, the farthest from M first
  std::size_t not_named = 0;                        // slow and fast hosts beyond most_hosts_named
  std::size_t slow = 0;
  std::size_t fast = 0;
  bool judged = false;   // its hosts are judged, so it has a verdict to show
  bool has_band = false; // a slow band, from the axis's low end to the slow threshold
  output::Axis axis{};   // holds every host, M and the slow threshold, with a margin
};

// Every stratum of the fleet, those a reader should see first first: those
// with hosts apart from their peers, then the rest, then those too small to
// judge, of which nothing is said; each in the comparison's order, which
// the tables keep.
std::vector<StratumPlan> fleet_plan(const compare::Comparison &comparison);

} // namespace compare_output
