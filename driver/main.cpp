// megawhets: asks for an inner and an outer loop count, times two passes of
// the workload (the second with twice the inner count) and reports how long
// each took, the rate achieved, and how far the second pass departs from
// twice the first. What produced the figures, and anything that disturbed
// them, goes to standard error once the report is complete.

#include "driver/arguments.h"
#include "driver/build.h"
#include "driver/console.h"
#include "driver/context_line.h"
#include "driver/count_reader.h"
#include "driver/pass_outcome.h"
#include "driver/platform.h"
#include "driver/report.h"
#include "driver/timed_pass.h"
#include "driver/warnings.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace {

using driver::PassFigures;
using driver::PassOutcome;
using driver::PassTiming;
using driver::RuleStyle;

constexpr int run_failed = 1;
constexpr int bad_usage = 2;

// Writes the prompt and waits for the count; on failure the reason is on
// standard error and the run must end.
std::optional<std::int32_t> ask_count(const char *prompt, const char *count_name) {
  driver::write_output(prompt);
  if (!driver::flush_output()) {
    return std::nullopt;
  }
  const driver::CountReading reading = driver::read_count(stdin);
  if (reading.problem != driver::CountProblem::none) {
    driver::end_output_line_on_terminal();
    driver::write_error(driver::count_problem_message(count_name, reading));
    return std::nullopt;
  }
  return reading.value;
}

// The header and rule are pushed out before the clock starts, so the user
// sees which pass is running and no output falls inside the timed interval.
std::optional<PassOutcome> run_pass(int number, std::int32_t outer, std::int32_t inner, RuleStyle style) {
  driver::write_output(driver::pass_header(number, outer, inner));
  driver::write_rule_line(style);
  if (!driver::flush_output()) {
    return std::nullopt;
  }
  const PassTiming timing = driver::time_outer_iterations(outer, inner);
  const PassFigures figures{timing.elapsed,
                            driver::pass_rate(driver::work_units(inner, outer), timing.elapsed)};
  driver::write_output(driver::pass_results(figures));
  return PassOutcome{.number = number,
                     .outer = outer,
                     .inner = inner,
                     .timing = timing,
                     .figures = figures,
                     .steady = driver::steady_figures(timing.groups, inner)};
}

std::int32_t doubled(std::int32_t count) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(count) * 2U);
}

// A pass that lost processor time to other programs also ran unsteadily;
// the interference warning says why, so it stands alone.
std::string disturbance_warning(const PassOutcome &pass, double processor_clock_step) {
  std::string warning = driver::interference_warning(pass.number, pass.timing, processor_clock_step);
  if (warning.empty()) {
    warning = driver::steadiness_warning(pass.number, pass.figures.rate, pass.steady);
  }
  return warning;
}

void report_context_and_warnings(const PassOutcome &first, const PassOutcome &second) {
  std::string text =
      driver::context_line(driver::program_version(), driver::build_description(), driver::this_machine());
  const double step = driver::processor_clock_step();
  for (const PassOutcome *pass : {&first, &second}) {
    text += disturbance_warning(*pass, step);
  }
  for (const PassOutcome *pass : {&first, &second}) {
    text += driver::subnormal_warning(pass->number, pass->inner);
  }
  driver::write_error(text);
}

int run() {
  const RuleStyle style = driver::rule_style_for_standard_output();
  const auto inner = ask_count("Number of inner loops (suggest more than 3): ", "inner loop count");
  if (!inner) {
    return run_failed;
  }
  const auto outer = ask_count("Number of outer loops (suggest more than 1): ", "outer loop count");
  if (!outer) {
    return run_failed;
  }
  const auto first = run_pass(1, *outer, *inner, style);
  if (!first) {
    return run_failed;
  }
  const auto second = run_pass(2, *outer, doubled(*inner), style);
  if (!second) {
    return run_failed;
  }
  driver::write_output(driver::comparison_block(first->figures, second->figures));
  driver::write_output(driver::advice(first->figures.elapsed + second->figures.elapsed));
  if (!driver::flush_output()) {
    return run_failed;
  }
  driver::end_output_line_on_terminal();
  report_context_and_warnings(*first, *second);
  return 0;
}

int show(const std::string &text) {
  driver::write_output(text);
  return driver::flush_output() ? 0 : run_failed;
}

} // namespace

int main(int argc, char **argv) {
  const driver::CommandLine command_line = driver::read_command_line(argc, argv);
  switch (command_line.request) {
  case driver::Request::help:
    return show(driver::usage());
  case driver::Request::version:
    return show(driver::version_text());
  case driver::Request::bad_argument:
    driver::write_error(driver::bad_argument_message(command_line.bad_argument));
    return bad_usage;
  case driver::Request::run:
    break;
  }
  return run();
}
