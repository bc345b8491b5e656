#include "ab/stopping_rule.h"

#include <cmath>

namespace ab {
namespace {

// The early looks: the share of the planned rounds, and of alpha.
struct EarlyLook {
  double of_rounds;
  double of_alpha;
};

constexpr EarlyLook early_looks[] = {{0.25, 1.0 / 40}, {0.5, 3.0 / 40}, {0.75, 6.0 / 40}};

} // namespace

double least_signed_rank_p(std::size_t pairs) {
  return pairs == 0 ? 1.0 : std::ldexp(1.0, 1 - static_cast<int>(pairs > 1100 ? 1100 : pairs));
}

StoppingRule StoppingRule::fixed_rounds(std::size_t, double alpha) { return StoppingRule(alpha, {}); }

StoppingRule StoppingRule::within_budget(std::size_t planned_rounds, double alpha) {
  std::vector<Look> looks;
  double carried = 0.0;
  std::size_t last = 0;
  for (const EarlyLook early : early_looks) {
    const auto rounds = static_cast<std::size_t>(std::ceil(early.of_rounds * static_cast<double>(planned_rounds)));
    const double share = carried + early.of_alpha * alpha;
    if (rounds <= last || rounds >= planned_rounds || least_signed_rank_p(rounds) > share) {
      carried = share;
      continue;
    }
    looks.push_back({rounds, share});
    carried = 0.0;
    last = rounds;
  }
  return StoppingRule(alpha, std::move(looks));
}

std::optional<Look> StoppingRule::look_after(std::size_t rounds) const {
  for (const Look &look : looks_) {
    if (look.rounds == rounds) {
      return look;
    }
  }
  return std::nullopt;
}

double StoppingRule::last_look_alpha(std::size_t rounds) const {
  double spent = 0.0;
  for (const Look &look : looks_) {
    if (look.rounds < rounds) {
      spent += look.alpha;
    }
  }
  return alpha_ - spent;
}

} // namespace ab
