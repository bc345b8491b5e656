#pragma once

#include "ab/paired_comparison.h"
#include "ab/stopping_rule.h"

#include <optional>
#include <span>

// The answer as the rounds come, by the stopping rule: what comparisons and
// the simulations that hold the rule to its promise both judge with.
namespace ab {

class SequentialJudgement {
public:
  SequentialJudgement(StoppingRule rule, double threshold_percent)
      : rule_(std::move(rule)), threshold_percent_(threshold_percent) {}

  // After each round, with every round's log ratio so far: the answer, if
  // the rule looks here and finds it certain (not undecided), which ends
  // the comparison.
  std::optional<Answer> certain_answer(std::span<const double> log_ratios) const;

  // The answer when the comparison ends after these rounds without a look
  // having found it certain: its budget or count spent, or interrupted.
  Answer last_answer(std::span<const double> log_ratios) const;

  const StoppingRule &rule() const { return rule_; }

private:
  StoppingRule rule_;
  double threshold_percent_;
};

} // namespace ab
