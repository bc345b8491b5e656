#include "output/verdict_style.h"

#include "statistics/records_needed.h"

#include <array>
#include <cstddef>

namespace output {
namespace {

using compare::Verdict;

// "n<4": the word says the least group that is ever judged.
static_assert(statistics::least_records_per_group < 10,
              "the word for too few records has room for one digit");
constexpr char too_few_word[] = {'n', '<', static_cast<char>('0' + statistics::least_records_per_group),
                                 '\0'};

// In the order of the enumeration, which a check below holds.
constexpr std::array verdict_styles = {
    VerdictStyle{Verdict::none, "-", "none", TerminalColour::none},
    VerdictStyle{Verdict::base, "base", "base", TerminalColour::none},
    VerdictStyle{Verdict::faster, "faster", "faster", TerminalColour::blue},
    VerdictStyle{Verdict::slower, "slower", "slower", TerminalColour::orange},
    VerdictStyle{Verdict::no_change, "~", "unclear", TerminalColour::none},
    VerdictStyle{Verdict::too_few, too_few_word, "few", TerminalColour::none},
    VerdictStyle{Verdict::too_few_to_tell, "too few", "few", TerminalColour::none},
    VerdictStyle{Verdict::only_ties_differ, "ties only", "unclear", TerminalColour::none},
    VerdictStyle{Verdict::ok, "ok", "ok", TerminalColour::none},
    VerdictStyle{Verdict::slow, "slow", "slow", TerminalColour::orange},
    VerdictStyle{Verdict::fast, "fast", "fast", TerminalColour::blue},
    VerdictStyle{Verdict::unjudged, "unjudged", "unjudged", TerminalColour::none},
    VerdictStyle{Verdict::same, "same", "same", TerminalColour::none},
    VerdictStyle{Verdict::undecided, "undecided", "undecided", TerminalColour::none},
};

constexpr bool in_enumeration_order() {
  for (std::size_t k = 0; k < verdict_styles.size(); ++k) {
    if (static_cast<std::size_t>(verdict_styles[k].verdict) != k) {
      return false;
    }
  }
  return true;
}
static_assert(in_enumeration_order(), "a verdict's row stands at the verdict's place in the enumeration");

} // namespace

const VerdictStyle &verdict_style(Verdict verdict) {
  const auto at = static_cast<std::size_t>(verdict);
  return at < verdict_styles.size() ? verdict_styles[at] : verdict_styles[0];
}

std::string_view verdict_word(Verdict verdict) { return verdict_style(verdict).word; }

} // namespace output
