#pragma once

#include "ab/paired_comparison.h"

// The one figure of each slice that the rounds' pairs are judged by: of the
// two a slice gives, the one that gave the tighter paired interval for the
// time on a noisy 2-processor guest (docs/ab.md says what was measured):
// the rate. On a machine shared by many programs no group of outer
// iterations runs undisturbed, and the fastest of them, a maximum of noisy
// figures, spread several times more than the pass's whole rate.
namespace ab {

enum class Figure { steady, rate };

constexpr Figure judged_figure = Figure::rate;

constexpr double judged(const Slice &slice) { return judged_figure == Figure::steady ? slice.steady : slice.rate; }

// "steady" or "rate", as the outputs name it.
constexpr const char *judged_figure_name() { return judged_figure == Figure::steady ? "steady" : "rate"; }

// As a sentence names it: "steady figure" or "rate".
constexpr const char *judged_figure_words() { return judged_figure == Figure::steady ? "steady figure" : "rate"; }

// What the figure is, for a reader who has not met the name.
constexpr const char *judged_figure_meaning() {
  return judged_figure == Figure::steady ? "pass 2's fastest group" : "pass 2's work over its whole time";
}

} // namespace ab
