#pragma once

#include <cstddef>
#include <optional>
#include <vector>

// When a comparison may stop and at what level it judges, so that however
// it stops, the chance that it calls two equal programs faster or slower is
// at most alpha, and its interval holds the true change with at least
// 1 - alpha.
//
// A run within a budget looks at the answer at a quarter, a half and three
// quarters of the rounds it plans, and once more when it ends. Each look
// judges at a share of alpha, and the shares add up to alpha at most, so
// that by the union bound the chance that any look errs is at most alpha
// (Bonferroni), whatever the figures' distribution, drift or correlation
// between looks: each look's test and interval are exact on their own, and
// a look that finds the answer certain ends the run. The early looks get
// little (1/40, 3/40 and 6/40 of alpha), since an answer found early is a
// large one; the last gets the rest, at least 3/4 of alpha, so that a run
// that goes to its end loses little against one fixed in advance. A look
// whose level no count of rounds that small can reach is not made, and its
// share passes to the next. A run of a fixed count of rounds has one look,
// at its end, with all of alpha.
namespace ab {

struct Look {
  std::size_t rounds = 0;
  double alpha = 0.0;
};

class StoppingRule {
public:
  static StoppingRule fixed_rounds(std::size_t rounds, double alpha);
  static StoppingRule within_budget(std::size_t planned_rounds, double alpha);

  // The look planned after `rounds` rounds, if there is one.
  std::optional<Look> look_after(std::size_t rounds) const;

  // The level of the look made when the run ends after `rounds` rounds, its
  // budget spent or an interrupt: alpha less what the looks before it
  // spent. A fixed count's one look gets all of alpha.
  double last_look_alpha(std::size_t rounds) const;

  const std::vector<Look> &planned_looks() const { return looks_; }

private:
  StoppingRule(double alpha, std::vector<Look> looks) : alpha_(alpha), looks_(std::move(looks)) {}

  double alpha_;
  std::vector<Look> looks_; // the early looks, in order; none for a fixed count
};

// The least p-value the exact signed-rank test gives n pairs, 2 / 2^n: a
// level below it can never be reached.
double least_signed_rank_p(std::size_t pairs);

} // namespace ab
