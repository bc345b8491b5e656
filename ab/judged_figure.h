#pragma once

#include "ab/paired_comparison.h"

#include <optional>
#include <string_view>

// The one figure of each slice that the rounds' pairs are judged by, as
// --figure chooses it. Unless told, the rate: on a noisy 2-processor guest
// it gave the tighter paired interval of the two clock figures for the time
// (docs/ab.md says what was measured), since on a machine shared by many
// programs no group of outer iterations runs undisturbed and the fastest
// of them, a maximum of noisy figures, spread several times more. The two
// figures by processor time leave out the turns other programs had on the
// processor, which is most of what a loaded machine does to the rate, but
// not what they do to its caches and clock.
namespace ab {

inline constexpr Figure default_figure = Figure::rate;

double judged(const Slice &slice, Figure figure);

// As --figure and the outputs name it: "rate", "steady", "processor-rate"
// or "processor-steady".
const char *figure_name(Figure figure);

// As a sentence names it: "rate", "steady figure", ...
const char *figure_words(Figure figure);

std::optional<Figure> figure_named(std::string_view name);

// What the figure is, for a reader who has not met the name: "pass 2's
// work over its whole time", ...
const char *figure_meaning(Figure figure);

} // namespace ab
