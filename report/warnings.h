#pragma once

#include "pass/pass_outcome.h"
#include "pass/steady_figures.h"
#include "pass/timed_pass.h"

#include <cstdint>
#include <string>
#include <vector>

// Warnings about a pass whose figures are not what they seem, decided from
// what the run measured. Each is one line for standard error, or empty.
namespace report {

// A quiet machine gives a pass 99.8 % or more of the processor; below this
// share other work has taken a part of the time the figures count.
constexpr double least_undisturbed_share = 0.95;

// A pass is judged only when the processor clock's step is at most this
// share of its elapsed time, so that the clock's coarseness cannot be taken
// for interference.
constexpr double coarsest_judged_step = 0.01;

// A copy's pass (copy 1 and up) is named as such; 0 names the run's own.
std::string interference_warning(int pass, const pass::PassTiming &timing, double processor_clock_step,
                                 unsigned copy = 0);

// Fewer groups than this say too little about how the speed moved.
constexpr std::uint64_t fewest_judged_groups = 5;

// On a quiet machine a pass's whole rate stays within this share of its
// fastest group's; a pass that fell further ran while the machine's speed
// changed.
constexpr double largest_steady_shortfall = 0.05;

// Whether a pass's whole rate fell further below its fastest group's than a
// steady machine allows. Never for a pass with too few groups, nor on a
// figure that is not a number.
bool speed_changed(double whole_rate, const pass::SteadyFigures &steady);

// Empty unless speed_changed.
std::string steadiness_warning(int pass, double whole_rate, const pass::SteadyFigures &steady, unsigned copy = 0);

// A pass of fewer than fewest_judged_groups groups cannot be judged for
// steadiness, so nothing vouches that its figures held: it is named, with its
// seconds and groups, and with the counts that would give it enough work
// (`typed_inner` is the inner count the run was given, pass 1's).
std::string short_warning(int pass, double elapsed, std::uint64_t groups, std::int32_t typed_inner);

// Decided on the count alone, so a pass that runs no outer iteration warns too.
std::string subnormal_warning(int pass, std::int32_t inner);

// More copies than usable processors measure how the processors are shared.
std::string sharing_warning(unsigned copies, unsigned usable_processors);

enum class WarningKind { interference, steadiness, short_pass, subnormal, sharing };

// The name a record of the run gives the kind.
const char *warning_kind_name(WarningKind kind);

struct RunWarning {
  WarningKind kind;
  int pass;          // 0 for the whole run
  std::string text;  // one line, ending in a line break
  unsigned copy = 0; // the copy it is about, or 0
};

// Every warning about the passes, in the order they are shown: what
// disturbed each pass (each copy's, for a pass run in copies), then whether
// each pass had too little work to judge and too large an inner count. A pass that lost processor time to other programs also ran
// unsteadily; the interference warning says why, so it stands alone.
std::vector<RunWarning> pass_warnings(const pass::PassOutcome &first, const pass::PassOutcome &second,
                                      double processor_clock_step);

} // namespace report
