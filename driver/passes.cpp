#include "driver/passes.h"

#include "copies/machine_figures.h"
#include "driver/console.h"
#include "pass/figures.h"
#include "pass/steady_figures.h"
#include "pass/timed_pass.h"

#include <limits>

namespace driver {
namespace {

using pass::PassOutcome;

// The pass timed here, in this process.
void time_here(PassOutcome &outcome) {
  outcome.timing = pass::time_outer_iterations(outcome.outer, outcome.inner);
  outcome.figures = {outcome.timing.elapsed,
                     pass::pass_rate(pass::work_units(outcome.inner, outcome.outer), outcome.timing.elapsed)};
  outcome.steady = pass::steady_figures(outcome.timing.groups, outcome.inner);
  write_output(report::pass_results(outcome.figures));
}

// The pass timed in every copy at once: the machine's figures span from the
// earliest copy's start to the latest copy's end, and count every copy's work.
bool time_in_copies(PassOutcome &outcome, copies::CopyRun &copy_run) {
  const auto timings = copy_run.run_pass(outcome.number);
  if (!timings) {
    end_output_line_on_terminal();
    write_error(copy_run.failure());
    return false;
  }
  const copies::MachineFigures machine =
      copies::machine_figures(*timings, pass::work_units(outcome.inner, outcome.outer));
  outcome.timing = {.elapsed = machine.elapsed,
                    .processor = std::numeric_limits<double>::quiet_NaN(),
                    .start = machine.earliest_start,
                    .end = machine.earliest_start + machine.elapsed};
  outcome.figures = {machine.elapsed, machine.rate};
  for (const pass::PassTiming &timing : *timings) {
    outcome.copies.push_back({timing, pass::steady_figures(timing.groups, outcome.inner)});
  }
  write_output(report::pass_results(outcome.figures) +
               report::copies_line(static_cast<unsigned>(timings->size()), machine.fastest_copy,
                                   machine.slowest_copy));
  return true;
}

} // namespace

std::optional<PassOutcome> run_pass(int number, std::int32_t outer, std::int32_t inner, report::RuleStyle style,
                                    copies::CopyRun *copy_run) {
  write_output(report::pass_header(number, outer, inner));
  write_rule_line(style);
  if (!flush_output()) {
    return std::nullopt;
  }
  PassOutcome outcome{.number = number, .outer = outer, .inner = inner};
  if (copy_run == nullptr) {
    time_here(outcome);
  } else if (!time_in_copies(outcome, *copy_run)) {
    return std::nullopt;
  }
  return outcome;
}

} // namespace driver
