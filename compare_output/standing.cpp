#include "compare_output/standing.h"

#include "compare_output/number_text.h"

#include <cmath>

namespace compare_output {

Standing group_standing(const compare::GroupResult &group) {
  if (group.base) {
    return {"base", "base"};
  }
  const bool changed = group.change_percent && std::isfinite(*group.change_percent);
  const std::string change = changed ? percent_text(*group.change_percent) + " " : "";
  if (!group.enough_records) {
    return {"few", change + "n<4"};
  }
  if (!changed || !group.significant) {
    return {"unclear", change + "~"};
  }
  return *group.change_percent > 0.0 ? Standing{"faster", change + "faster"} : Standing{"slower", change + "slower"};
}

Standing host_standing(compare::FleetVerdict verdict) {
  switch (verdict) {
  case compare::FleetVerdict::ok:
    return {"ok", "ok"};
  case compare::FleetVerdict::slow:
    return {"slow", "slow"};
  case compare::FleetVerdict::fast:
    return {"fast", "fast"};
  case compare::FleetVerdict::unjudged:
    break;
  }
  return {"unjudged", "unjudged"};
}

} // namespace compare_output
