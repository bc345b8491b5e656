#include "compare_output/standing.h"

#include "compare_output/number_text.h"
#include "compare_output/verdicts.h"

#include <cmath>

namespace compare_output {
namespace {

// Each verdict's class names the colour it takes on the page.
std::string_view group_class(std::string_view verdict) {
  for (const std::string_view own_class : {"base", "faster", "slower"}) {
    if (verdict == own_class) {
      return own_class;
    }
  }
  return verdict == "n<4" ? "few" : "unclear";
}

} // namespace

Standing group_standing(const compare::GroupResult &group) {
  const std::string verdict = group_verdict(group);
  if (group.base) {
    return {group_class(verdict), verdict};
  }
  const bool changed = group.change_percent && std::isfinite(*group.change_percent);
  return {group_class(verdict), (changed ? percent_text(*group.change_percent) + " " : "") + verdict};
}

Standing host_standing(compare::FleetVerdict verdict) {
  const std::string words = host_verdict(verdict);
  const std::string_view css_class = verdict == compare::FleetVerdict::ok     ? "ok"
                                     : verdict == compare::FleetVerdict::slow ? "slow"
                                     : verdict == compare::FleetVerdict::fast ? "fast"
                                                                              : "unjudged";
  return {css_class, words};
}

} // namespace compare_output
