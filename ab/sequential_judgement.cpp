#include "ab/sequential_judgement.h"

#include "ab/paired_answer.h"

namespace ab {

std::optional<Answer> SequentialJudgement::certain_answer(std::span<const double> log_ratios) const {
  const auto look = rule_.look_after(log_ratios.size());
  if (!look) {
    return std::nullopt;
  }
  Answer answer = paired_answer(log_ratios, look->alpha, threshold_percent_);
  if (answer.verdict == Verdict::undecided) {
    return std::nullopt;
  }
  return answer;
}

Answer SequentialJudgement::last_answer(std::span<const double> log_ratios) const {
  return paired_answer(log_ratios, rule_.last_look_alpha(log_ratios.size()), threshold_percent_);
}

} // namespace ab
