#include "ab/summary_text.h"

#include "ab/disturbed_slices.h"
#include "ab/judged_figure.h"
#include "ab/verdict_words.h"
#include "compare/comparison.h"
#include "output/number_text.h"
#include "output/verdict_style.h"
#include "text/formatted.h"

#include <algorithm>
#include <cmath>

namespace ab {
namespace {

using text::formatted;

using output::rate_text;

std::string p_text(double p) {
  if (!std::isfinite(p)) {
    return "p -";
  }
  return p < 0.001 ? "p < 0.001" : "p = " + output::probability_text(p);
}

std::string plural(std::size_t count, const char *one, const char *many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// What to type for the rounds that would decide, with the time they would
// take at this comparison's pace so far, its start included.
std::string more_rounds_advice(const PairedComparison &comparison) {
  const std::size_t rounds = *comparison.answer.rounds_to_decide;
  if (rounds > most_rounds) {
    return "more than one comparison runs, so the difference is too small to tell here";
  }
  const double seconds =
      comparison.seconds / static_cast<double>(comparison.answer.rounds) * static_cast<double>(rounds);
  return "give --rounds " + std::to_string(rounds) +
         formatted(" (about %.0f s here)", std::ceil(seconds / 10.0) * 10.0);
}

std::string answer_line(const PairedComparison &comparison) {
  const Answer &answer = comparison.answer;
  if (answer.rounds == 0) {
    return "B against A: no round finished, so there is no answer.";
  }
  std::string line = "B against A: " + percent_text(answer.change_percent) + " (" +
                     confidence_text(comparison.settings.alpha) + " interval " + interval_text(answer) +
                     "), " + p_text(answer.p_value) + ", from " + plural(answer.rounds, "round", "rounds") +
                     ": " + verdict_words(answer.verdict, comparison.settings.threshold_percent);
  if (answer.verdict == Verdict::undecided) {
    line += answer.rounds_to_decide ? "; about " + std::to_string(*answer.rounds_to_decide) +
                                          " rounds in all would decide: " + more_rounds_advice(comparison)
                                    : "; the rounds so far cannot say how many would decide";
  }
  return line + ".";
}

std::string mode_line(const PairedComparison &comparison) {
  if (comparison.mode == Mode::duet && comparison.duet_check) {
    const DuetCheck &check = *comparison.duet_check;
    std::string line = formatted("Mode: duet, A and B together on processors %u and %u, swapped each round: ",
                                 check.processors[0], check.processors[1]) +
                       comparison.mode_reason + ".";
    std::vector<double> apart;
    for (const Round &round : comparison.rounds) {
      if (round.start_apart) {
        apart.push_back(*round.start_apart);
      }
    }
    if (!apart.empty()) {
      std::sort(apart.begin(), apart.end());
      line += formatted(" Their passes began %.1f ms apart at the median, %.1f ms at most.",
                        apart[apart.size() / 2] * 1000.0, apart.back() * 1000.0);
    }
    return line;
  }
  return "Mode: interleaved, A and B one after the other in an order drawn each round: " +
         comparison.mode_reason + ".";
}

std::string rounds_line(const PairedComparison &comparison) {
  std::string line =
      plural(comparison.rounds.size(), "round", "rounds") +
      formatted(" of %g s slices (inner %d, outer %d) in %.1f s", comparison.settings.slice_seconds,
                comparison.inner, comparison.outer, comparison.seconds);
  if (comparison.stopped_early) {
    line += ", stopped early: the answer was certain";
  } else if (comparison.settings.rounds) {
    line += ", a fixed count";
  } else if (comparison.settings.budget_seconds) {
    // The last round may end past the budget where it took longer than
    // any before it; the line says so rather than "within".
    line += formatted(comparison.seconds <= *comparison.settings.budget_seconds ? ", within a budget of %g s"
                                                                                : ", past its budget of %g s",
                      *comparison.settings.budget_seconds);
  }
  line += "; seed " + std::to_string(comparison.settings.seed);
  line += "; " + plural(comparison.warned_slices, "slice", "slices") +
          (comparison.warned_slices == 1 ? " carried a warning." : " carried warnings.");
  return line;
}

std::string unpaired_line(const PairedComparison &comparison) {
  const UnpairedView &view = comparison.unpaired;
  const std::string interval = view.intervals_are_ranges ? "range" : "95 % interval";
  std::string line = std::string("Unpaired, as compare judges separate runs (by the ") +
                     figure_words(comparison.settings.figure) + "): " + percent_text(view.change_percent) +
                     ", " + p_text(view.p_value);
  if (std::isfinite(view.shift_low_percent)) {
    line += ", 95 % interval " + output::signed_text(view.shift_low_percent, 2) + " .. " +
            output::percent_text(view.shift_high_percent);
  }
  return line + "; A's median " + rate_text(view.a_median) + " (" + interval + " " + rate_text(view.a_low) +
         " .. " + rate_text(view.a_high) + "), B's " + rate_text(view.b_median) + " (" +
         rate_text(view.b_low) + " .. " + rate_text(view.b_high) + ").";
}

} // namespace

std::string percent_text(double percent) { return output::percent_text(percent); }

std::string interval_text(const Answer &answer) {
  if (!std::isfinite(answer.low_percent) || !std::isfinite(answer.high_percent)) {
    return "-";
  }
  return output::signed_text(answer.low_percent, 2) + " .. " + output::percent_text(answer.high_percent) +
         (answer.interval_is_range ? " (range)" : "");
}

std::string confidence_text(double alpha) { return output::setting_text((1.0 - alpha) * 100.0) + " %"; }

std::vector<std::string> summary_lines(const PairedComparison &comparison) {
  std::vector<std::string> lines;
  if (comparison.interrupted) {
    lines.push_back("Interrupted: the answer is from the rounds that finished.");
  }
  if (!comparison.failure.empty()) {
    lines.push_back("Failed: " + comparison.failure + "; the answer is from the rounds before.");
  }
  lines.push_back(answer_line(comparison));
  if (rests_on_disturbed_slices(comparison)) {
    lines.push_back(
        "The answer rests on disturbed slices: " + std::to_string(disturbed_slices(comparison)) +
        " of the rounds' slices carried an interference or steadiness warning; run again with the "
        "machine otherwise idle.");
  }
  // Ended while the counts were being found, there is no mode or slice to
  // tell of yet.
  if (comparison.mode_reason.empty() && comparison.inner == 0) {
    lines.push_back("No round ran: the comparison ended while it found the counts for its slices.");
  } else {
    lines.push_back(mode_line(comparison));
    lines.push_back(rounds_line(comparison));
  }
  if (!comparison.rounds.empty()) {
    lines.push_back(unpaired_line(comparison));
  }
  // A warning the mode line already gives, as why the mode was chosen, is
  // not said twice.
  for (const std::string &warning : comparison.warnings) {
    if (comparison.mode_reason.find(warning) == std::string::npos) {
      lines.push_back("Warning: " + warning + ".");
    }
  }
  return lines;
}

std::vector<std::string> legend_lines(const PairedComparison &comparison) {
  const std::string confidence = confidence_text(comparison.settings.alpha);
  const Figure figure = comparison.settings.figure;
  std::string figures = std::string(figure_name(figure)) +
                        " (judged): the figure the rounds are judged on, the median " +
                        "of the program's slices' " + figure_words(figure) + " (" + figure_meaning(figure) +
                        "), in megaWhets/second";
  for (const Figure shown : {Figure::steady, Figure::rate}) {
    if (shown != figure) {
      figures += std::string("; ") + figure_name(shown) + ": the median of their " + figure_words(shown) +
                 " (" + figure_meaning(shown) + ")";
    }
  }
  std::vector<std::string> lines = {
      figures + ".",
      std::string("change: B against A, the Hodges-Lehmann estimate from each round's ratio of B's ") +
          figure_words(comparison.settings.figure) + " to A's; positive when B is faster.",
      confidence + " interval: holds the true change with at least " + confidence +
          " however the comparison stopped: each look at the answer judges at its share of alpha.",
      "p: the two-sided Wilcoxon signed-rank test of the rounds' ratios.",
      "verdict: faster or slower where the interval leaves out 0; same within the threshold where it holds 0 "
      "and "
      "lies inside it; otherwise undecided."};
  // Only where it applies, as compare's legend says it.
  if (rests_on_disturbed_slices(comparison)) {
    lines.push_back(
        std::string(output::disturbed_mark.substr(1)) + ": the answer rests on disturbed slices: more than " +
        formatted("%.0f", compare::most_disturbed_share * 100.0) +
        " % of the rounds' slices carried an interference or steadiness warning, so nothing vouches "
        "for it; run again with the machine otherwise idle.");
  }
  return lines;
}

std::string progress_line(const PairedComparison &comparison, const Answer &answer, double seconds) {
  std::string line = "megawhets ab: round " + std::to_string(comparison.rounds.size()) +
                     formatted(", %.0f s: ", seconds) + percent_text(answer.change_percent);
  // The rounds so far at the whole alpha: not yet the answer's interval,
  // which the stopping rule's looks make wider, and so named.
  if (answer.interval_is_range || !std::isfinite(answer.low_percent)) {
    line += ", too few rounds for an interval";
  } else {
    line += ", unadjusted " + interval_text(answer);
  }
  return line.size() > 79 ? line.substr(0, 79) : line;
}

} // namespace ab
