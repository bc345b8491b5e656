#include "compare_output/verdicts.h"

namespace compare_output {

std::string group_verdict(const compare::GroupResult &group) {
  if (group.base) {
    return "base";
  }
  if (!group.enough_records) {
    return "n<4";
  }
  if (!group.significant) {
    return "~";
  }
  return group.change_percent && *group.change_percent > 0 ? "faster" : "slower";
}

std::string host_verdict(compare::FleetVerdict verdict) {
  switch (verdict) {
  case compare::FleetVerdict::ok:
    return "ok";
  case compare::FleetVerdict::slow:
    return "slow";
  case compare::FleetVerdict::fast:
    return "fast";
  case compare::FleetVerdict::unjudged:
    return "unjudged";
  }
  return "";
}

} // namespace compare_output
