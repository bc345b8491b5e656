#pragma once

#include "ab/paired_comparison.h"

#include <optional>
#include <string_view>

// Which figure of each slice the rounds are judged on. By default, pass
// 2's work per second of the processor time it had: under the loads
// bench/ab_benchmark.py makes (quiet, a busy loop per processor, bursts,
// one processor taken) it gave the tightest interval of the four figures in
// every condition and mode, 1.2 to 40 times tighter than the rate under
// load and as tight on a quiet machine, and held the drags' calibrated
// effect as often as the rate did (docs/ab.md gives the table). It leaves
// out the turns other programs had on the processor, which is most of what
// a loaded machine does to the rate, though not what they do to its caches
// and clock. A program whose record gives no processor time (an older
// megawhets) is judged on the rate, and the answer says so.
namespace ab {

inline constexpr Figure default_figure = Figure::processor_rate;

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
