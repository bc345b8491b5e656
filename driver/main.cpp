// megawhets: asks for an inner and an outer loop count, times two passes of
// the workload (the second with twice the inner count) and reports how long
// each took, the rate achieved, and how far the second pass departs from
// twice the first.

#include "driver/console.h"
#include "driver/count_reader.h"
#include "driver/report.h"
#include "driver/timed_pass.h"

#include <cstdint>
#include <cstdio>
#include <optional>

namespace {

using driver::PassFigures;
using driver::RuleStyle;

// Writes the prompt and waits for the count; on failure the reason is on
// standard error and the run must end.
std::optional<std::int32_t> ask_count(const char *prompt, const char *count_name) {
  driver::write_output(prompt);
  if (!driver::flush_output()) {
    return std::nullopt;
  }
  const driver::CountReading reading = driver::read_count(stdin);
  if (reading.problem != driver::CountProblem::none) {
    std::fputs(driver::count_problem_message(count_name, reading.problem).c_str(), stderr);
    return std::nullopt;
  }
  return reading.value;
}

// The header and rule are pushed out before the clock starts, so the user
// sees which pass is running and no output falls inside the timed interval.
std::optional<PassFigures> run_pass(int pass, std::int32_t outer, std::int32_t inner, RuleStyle style) {
  driver::write_output(driver::pass_header(pass, outer, inner));
  driver::write_rule_line(style);
  if (!driver::flush_output()) {
    return std::nullopt;
  }
  const double elapsed = driver::time_outer_iterations(outer, inner);
  const PassFigures figures{elapsed, driver::pass_rate(driver::work_units(inner, outer), elapsed)};
  driver::write_output(driver::pass_results(figures));
  return figures;
}

std::int32_t doubled(std::int32_t count) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(count) * 2U);
}

} // namespace

int main() {
  const RuleStyle style = driver::rule_style_for_standard_output();
  const auto inner = ask_count("Number of inner loops (suggest more than 3): ", "inner loop count");
  if (!inner) {
    return 1;
  }
  const auto outer = ask_count("Number of outer loops (suggest more than 1): ", "outer loop count");
  if (!outer) {
    return 1;
  }
  const auto first = run_pass(1, *outer, *inner, style);
  if (!first) {
    return 1;
  }
  const auto second = run_pass(2, *outer, doubled(*inner), style);
  if (!second) {
    return 1;
  }
  driver::write_output(driver::comparison_block(*first, *second));
  driver::write_output(driver::advice(first->elapsed + second->elapsed));
  return driver::flush_output() ? 0 : 1;
}
