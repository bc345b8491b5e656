#pragma once

#include "compare/comparison.h"

#include <string>
#include <string_view>

// What the page says of each group and host, in the words every output
// gives its verdicts in (verdicts.h), and the class that gives it its
// colour: the words go beside every colour, so that a reader who cannot
// tell the colours apart still reads the verdict.
namespace compare_output {

struct Standing {
  std::string_view
      css_class{};     // "base", "faster", "slower", "unclear", "few"; "ok", "slow", "fast", "unjudged"
  std::string words{}; // "base", "+3.25 % faster", "-0.40 % ~", "+1.00 % n<4"
};

// A group against the base, its change in percent before the verdict.
Standing group_standing(const compare::GroupResult &group);

// A host against its stratum: "ok", "slow", "fast" or "unjudged".
Standing host_standing(compare::FleetVerdict verdict);

} // namespace compare_output
